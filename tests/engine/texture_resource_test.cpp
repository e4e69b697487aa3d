// Texture descriptions and the texture resource: the description text and its hint keys,
// a ".texture" name reaching the engine's ASCII texture type through its text form, the
// alpha kind derived from the images when no hint is given, mip levels while locked, and
// the converted file's bytes worked out by hand.
#include "engine/ascii_texture_resource.h"

#include <gtest/gtest.h>

#include "engine/display_texture.h"
#include "engine/file.h"
#include "engine/resource_database.h"
#include "engine/resource_system.h"
#include "temp_folder.h"

namespace {

using namespace std::string_literals;

// A TGA of 24-bit (colour) or 8-bit (grey) pixels, top-down; values are B, G, R or grey.
std::string Tga(uint16_t width, uint16_t height, const std::string& pixels, bool grey = false) {
    std::string file = "\0\0"s + (grey ? "\x03"s : "\x02"s) + std::string(9, '\0');
    file += static_cast<char>(width & 0xFF);
    file += static_cast<char>(width >> 8);
    file += static_cast<char>(height & 0xFF);
    file += static_cast<char>(height >> 8);
    file += grey ? "\x08\x20"s : "\x18\x20"s;
    return file + pixels;
}

TEST(TextureDescription, ReadsEveryKey) {
    Kiv::TextureDescription description;
    std::string error;
    ASSERT_TRUE(description.Parse("; a comment\r\n"
                                  "Primary = a.tga\n"
                                  "alpha=a_alpha.bmp\n"
                                  "\n"
                                  "PRIMARY=b.tga\n"
                                  "Hint=2\nAlphaHint=onebit\nAnisotropy=4\nAutoMip=box\n"
                                  "MagFilter=point\nMinFilter=Linear\nMipFilter=none\n"
                                  "Tile=s\nNormalMap=1\nModifyMap=1\n",
                                  error))
        << error;
    ASSERT_EQ(description.images.size(), 2u);
    EXPECT_EQ(description.images[0].primary, "a.tga");
    EXPECT_EQ(description.images[0].alpha, "a_alpha.bmp");
    EXPECT_EQ(description.images[1].primary, "b.tga");
    EXPECT_EQ(description.images[1].alpha, "");
    EXPECT_EQ(description.compressionHint, 2);
    EXPECT_EQ(description.alphaKind, Kiv::TextureDescription::kAlphaOneBit);
    EXPECT_EQ(description.anisotropy, 4);
    EXPECT_EQ(description.autoMip, "box");
    EXPECT_EQ(description.magFilter, "point");
    EXPECT_EQ(description.minFilter, "linear");
    EXPECT_FALSE(description.UsesMipMaps());
    EXPECT_EQ(description.wrapS, Kiv::TextureDescription::kWrapRepeat);
    EXPECT_EQ(description.wrapT, Kiv::TextureDescription::kWrapClamp);
    EXPECT_TRUE(description.normalMap);
    EXPECT_EQ(description.modifyMap, 1);

    Kiv::TextureDescription defaults;
    EXPECT_EQ(defaults.compressionHint, -1);
    EXPECT_EQ(defaults.alphaKind, Kiv::TextureDescription::kAlphaUndetermined);
    EXPECT_TRUE(defaults.UsesMipMaps());
}

TEST(TextureDescription, BadLinesFailWithTheirNumber) {
    const char* cases[] = {
        "Primary=a.tga\nnonsense",
        "Alpha=a.tga",                            // no primary yet
        "Primary=a.tga\nAlpha=b.tga\nAlpha=c.tga", // two alphas for one image
        "Primary=",
        "Primary=a.tga\nHint=128",
        "Primary=a.tga\nHint=2x",
        "Primary=a.tga\nAlphaHint=some",
        "Primary=a.tga\nTile=x",
        "Primary=a.tga\nMipFilter=cubic",
        "Primary=a.tga\nCompression=dxt1",        // a conversion option, not a description key
    };
    for (const char* text : cases) {
        Kiv::TextureDescription description;
        std::string error;
        EXPECT_FALSE(description.Parse(text, error)) << text;
        EXPECT_NE(error.find("line "), std::string::npos) << text;
    }
    std::string many;
    for (int i = 0; i <= 64; ++i) many += "Primary=a.tga\n";
    Kiv::TextureDescription description;
    std::string error;
    EXPECT_FALSE(description.Parse(many, error));
}

TEST(DisplayTexture, CountsTheFullChain) {
    const struct {
        uint32_t width, height, levels;
    } cases[] = {{1, 1, 1}, {256, 128, 9}, {100, 100, 7}, {0, 0, 0}, {16384, 1, 15}};
    for (const auto& c : cases)
        EXPECT_EQ(Kiv::DisplayTexture::GetNumMipLevels(nullptr, c.width, c.height), c.levels)
            << c.width << "x" << c.height;
}

class TextureResourceTest : public testing::Test {
protected:
    void SetUp() override { Kiv::File::Subst("kivtexasset", temp.Root().c_str()); }
    void TearDown() override { Kiv::File::Subst("kivtexasset"); }

    // The texture of name, locked; null when it does not load.
    Kiv::AsciiTextureResource* Load(const char* name) {
        Kiv::Resource* resource = database.Get(Kiv::PString(name));
        auto* texture = dynamic_cast<Kiv::AsciiTextureResource*>(resource);
        if (!texture) {
            if (resource) resource->Release();
            return nullptr;
        }
        held.push_back(texture);
        return texture->Lock() ? texture : nullptr;
    }
    ~TextureResourceTest() override {
        for (Kiv::Resource* resource : held) resource->Release();
    }

    Kiv::ResourceSystem system;
    TempFolder temp;
    Kiv::ResourceDatabase database{Kiv::PString("kivtexasset")};
    std::vector<Kiv::Resource*> held;
};

TEST_F(TextureResourceTest, TheAlphaKindComesFromTheImagesWhenNoHintIsGiven) {
    const std::string colour = Tga(2, 2, std::string(12, '\x40'));
    temp.WriteFile("colour.tga", colour);
    temp.WriteFile("onebit.tga", Tga(2, 2, "\x00\xFF\x00\xFF"s, true));
    temp.WriteFile("full.tga", Tga(2, 2, "\x00\x80\xFF\xFF"s, true));
    temp.WriteFile("small.tga", Tga(1, 1, "\x00"s, true));
    // A 32-bit primary with alpha 0 and 255 only.
    temp.WriteFile("own.tga", "\0\0\x02"s + std::string(9, '\0') + "\x01\0\x02\0"s + "\x20\x28"s +
                                  "\x01\x02\x03\x00\x01\x02\x03\xFF"s);
    const struct {
        const char* text;
        int8_t alphaKind;
    } cases[] = {
        {"Primary=colour.tga", 0},
        {"Primary=colour.tga\nAlpha=onebit.tga", 2},
        {"Primary=colour.tga\nAlpha=full.tga", 1},
        {"Primary=colour.tga\nAlpha=onebit.tga\nPrimary=colour.tga\nAlpha=full.tga", 1},
        {"Primary=colour.tga\nAlpha=onebit.tga\nAlphaHint=full", 1},
        {"Primary=colour.tga\nAlphaHint=onebit", 2},
        {"Primary=own.tga", 2},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "t" + std::to_string(n++) + ".texture";
        temp.WriteFile(name + ".txt", c.text);
        Kiv::AsciiTextureResource* texture = Load(name.c_str());
        ASSERT_NE(texture, nullptr) << c.text;
        EXPECT_EQ(texture->GetAlphaKind(), c.alphaKind) << c.text;
    }
}

TEST_F(TextureResourceTest, ImageFaultsFailTheLoadWithAReason) {
    temp.WriteFile("a.tga", Tga(2, 2, std::string(12, '\x40')));
    temp.WriteFile("wide.tga", Tga(4, 2, std::string(24, '\x40')));
    temp.WriteFile("broken.tga", Tga(2, 2, "short"));
    temp.MakeFolder("sub");
    temp.WriteFile("sub/escape.texture.txt", "Primary=../a.tga");
    const char* cases[] = {
        "Primary=missing.tga",
        "Primary=broken.tga",
        "Primary=a.tga\nPrimary=wide.tga",
        "Primary=a.tga\nAlpha=wide.tga",
        "Primary=/etc/hostname",
        "Primary=sub",     // a folder, not an image
        "AlphaHint=full",  // no image at all
    };
    int n = 0;
    for (const char* text : cases) {
        const std::string name = "bad" + std::to_string(n++) + ".texture";
        temp.WriteFile(name + ".txt", text);
        Kiv::Resource* resource = database.Get(Kiv::PString(name));
        ASSERT_NE(resource, nullptr) << text;
        EXPECT_FALSE(resource->Lock()) << text;
        EXPECT_FALSE(static_cast<Kiv::TextureResource*>(resource)->GetLoadError().empty()) << text;
        resource->Release();
    }
    Kiv::Resource* escape = database.Get(Kiv::PString("sub/escape.texture"));
    ASSERT_NE(escape, nullptr);
    EXPECT_FALSE(escape->Lock());
    escape->Release();
}

TEST_F(TextureResourceTest, MipLevelsExistOnlyWhileLocked) {
    temp.WriteFile("a.tga", Tga(4, 2, "\x00\x00\x00"s "\x10\x10\x10"s "\x20\x20\x20"s "\x30\x30\x30"s
                                      "\x40\x40\x40"s "\x50\x50\x50"s "\x60\x60\x60"s "\x70\x70\x70"s));
    temp.WriteFile("m.texture.txt", "Primary=a.tga\n");
    Kiv::AsciiTextureResource* texture = Load("m.texture");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetNumMipLevels(), 3u);  // 4x2, 2x1, 1x1
    EXPECT_EQ(texture->GetMip(0, 0), nullptr);
    ASSERT_TRUE(texture->GetMipLock());
    auto level1 = texture->GetMip(0, 1);
    ASSERT_NE(level1, nullptr);
    EXPECT_EQ(level1->GetWidth(), 2u);
    EXPECT_EQ(level1->GetHeight(), 1u);
    EXPECT_EQ(level1->PixelAt(0, 0)[0], 0x28);  // (0x00 + 0x10 + 0x40 + 0x50) / 4
    EXPECT_EQ(level1->PixelAt(1, 0)[3], 0xFF);
    EXPECT_EQ(texture->GetMip(0, 3), nullptr);
    EXPECT_EQ(texture->GetMip(1, 0), nullptr);
    EXPECT_TRUE(texture->GetMipUnlock());
    EXPECT_FALSE(texture->GetMipUnlock());
    EXPECT_EQ(texture->GetMip(0, 0), nullptr);
}

TEST_F(TextureResourceTest, TheConvertedFileHasTheHeaderAndBodyWorkedOutByHand) {
    temp.WriteFile("a.tga", Tga(2, 1, "\x01\x02\x03\x04\x05\x06"s));
    temp.WriteFile("c.texture.txt", "Primary=a.tga\nMipFilter=none\nTile=t\n");
    Kiv::AsciiTextureResource* texture = Load("c.texture");
    ASSERT_NE(texture, nullptr);
    ASSERT_TRUE(texture->SaveToFile(temp.Path("c.texture").c_str()));
    const std::string expected =
        "KIRF"s + "\x34\0\0\0"s + "MMTF"s +  // 52 bytes follow the size
        "\x01\0\0\0"s +                       // body version
        "\x03\0\0\0"s +                       // format 3: uncompressed, no alpha
        "\x02\0\0\0"s + "\x01\0\0\0"s +       // 2 x 1
        "\x01\0\0\0"s + "\x01\0\0\0"s +       // one image, one level
        "\x00\x01\x02\x00"s +                 // alpha kind 0, clamp S, repeat T, no normal map
        "\x02\0\0\0"s + "\x01\0\0\0"s + "\x08\0\0\0"s + "\x01\x02\x03\xFF\x04\x05\x06\xFF"s;
    EXPECT_EQ(temp.ReadFile("c.texture"), expected);
}

TEST_F(TextureResourceTest, OptionsApplyHintsAndRefuseUnknownKeys) {
    temp.WriteFile("a.tga", Tga(1, 1, "\x01\x02\x03"s));
    temp.WriteFile("o.texture.txt", "Primary=a.tga\nHint=3\n");
    Kiv::Resource* resource = database.Get(Kiv::PString("o.texture"));
    auto* texture = dynamic_cast<Kiv::AsciiTextureResource*>(resource);
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(texture->LoadTextureOptions({{"Hint", "1"}, {"AlphaHint", "full"}, {"Tile", "none"}}));
    ASSERT_TRUE(texture->Lock());
    EXPECT_EQ(texture->GetCompressionHint(), 3);  // the description's own value wins
    EXPECT_EQ(texture->GetAlphaKind(), Kiv::TextureDescription::kAlphaFull);
    EXPECT_EQ(texture->GetWrapS(), Kiv::TextureDescription::kWrapClamp);
    EXPECT_FALSE(texture->LoadTextureOptions({{"Primary", "b.tga"}}));
    EXPECT_FALSE(texture->LoadTextureOptions({{"Hint", "high"}}));
    resource->Release();
}

}  // namespace
