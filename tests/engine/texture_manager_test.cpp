// Textures of the render kernel: shared texture 0, textures by (database, name) that exist
// only with their file or description, loading on use into loaded or failed, cube maps
// from six images, duplicates, and the display's surface failure.
#include "engine/texture.h"

#include <gtest/gtest.h>

#include "engine/render_kernel.h"
#include "engine/resource_database.h"
#include "engine/resource_system.h"
#include "temp_folder.h"

namespace {

using namespace std::string_literals;

// A 1 x 1 24-bit TGA.
std::string PixelTga() {
    return "\0\0\x02"s + std::string(9, '\0') + "\x01\0\x01\0\x18\x20"s + "\x10\x20\x30"s;
}

class TextureManagerTest : public ::testing::Test {
protected:
    TextureManagerTest() : database_(Kiv::PString(folder_.Root().c_str())) {
        folder_.WriteFile("a.tga", PixelTga());
        folder_.WriteFile("plain.texture.txt", "Primary=a.tga\n");
        std::string six;
        for (int i = 0; i < 6; ++i) six += "Primary=a.tga\n";
        folder_.WriteFile("cube.texture.txt", six);
        folder_.WriteFile("broken.texture.txt", "Primary=missing.tga\n");
    }

    TempFolder folder_;
    Kiv::ResourceSystem system_;
    Kiv::ResourceDatabase database_;
    Kiv::RenderKernel kernel_{nullptr, 8};
};

TEST_F(TextureManagerTest, SharedTextureZeroIsLoadedWhite) {
    Kiv::Texture* shared = kernel_.GetTextureManager()->GetSharedTextures().GetTexture(0);
    ASSERT_NE(shared, nullptr);
    EXPECT_TRUE(shared->IsLoaded());
    Kiv::Texture* again = kernel_.GetTextureManager()->GetSharedTextures().GetTexture(0);
    EXPECT_EQ(shared, again);
    EXPECT_EQ(kernel_.GetTextureManager()->GetSharedTextures().GetTexture(1), nullptr);
    shared->ReleaseReference();
    again->ReleaseReference();

    Kiv::RenderKernel failing(nullptr, 8);
    failing.GetDisplay()->SetTextureSurfaceFailure(true);
    EXPECT_EQ(failing.GetTextureManager()->GetSharedTextures().GetTexture(0), nullptr);
}

TEST_F(TextureManagerTest, LoadsOnUseIntoLoadedOrFailed) {
    Kiv::TextureManager& textures = *kernel_.GetTextureManager();
    EXPECT_EQ(textures.GetTexture(&database_, Kiv::PString("none.texture")), nullptr);
    EXPECT_EQ(textures.GetTexture(nullptr, Kiv::PString("plain.texture")), nullptr);
    const struct {
        const char* name;
        bool loads;
        int kind;
    } cases[] = {
        {"plain.texture", true, Kiv::Texture::kPlain},
        {"cube.texture", true, Kiv::Texture::kCubeMap},
        {"broken.texture", false, Kiv::Texture::kPlain},
    };
    for (const auto& c : cases) {
        Kiv::Texture* texture = textures.GetTexture(&database_, Kiv::PString(c.name));
        ASSERT_NE(texture, nullptr) << c.name;
        EXPECT_EQ(texture->GetState(), Kiv::Texture::State::kUnloaded);
        texture->Activate(0);
        EXPECT_EQ(texture->IsLoaded(), c.loads) << c.name;
        EXPECT_EQ(texture->HasFailed(), !c.loads) << c.name;
        EXPECT_EQ(texture->GetKind(), c.kind) << c.name;
        texture->SetResourcePriority(3);
        Kiv::Texture* copy = texture->Duplicate();
        EXPECT_NE(copy, texture);
        EXPECT_EQ(copy->GetState(), texture->GetState());
        EXPECT_EQ(copy->GetKind(), c.kind);
        EXPECT_EQ(copy->GetPriority(), 3);
        texture->ReleaseReference();
        copy->ReleaseReference();
    }
}

TEST_F(TextureManagerTest, SurfaceFailureFailsTheLoad) {
    kernel_.GetDisplay()->SetTextureSurfaceFailure(true);
    Kiv::Texture* texture = kernel_.GetTextureManager()->GetTexture(&database_,
                                                                    Kiv::PString("plain.texture"));
    ASSERT_NE(texture, nullptr);
    EXPECT_FALSE(texture->Load());
    EXPECT_TRUE(texture->HasFailed());
    texture->ReleaseReference();
}

}  // namespace
