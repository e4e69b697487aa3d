// The program's material classes: their own texture slots and what SetTexture keeps on a
// failure, the exact-class equality and the clones, the chunks each class makes for a
// hint, one-pass drawing, and the gloss-rust passes chosen by "RustAge".
#include "content3d/materials/bump_materials.h"
#include "content3d/materials/ground_materials.h"
#include "content3d/materials/multi_pfx_material.h"
#include "engine/resource_database.h"
#include "engine/resource_system.h"
#include "engine/temp_folder.h"
#include "engine/texture.h"
#include "materials_test_support.h"

namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

class MaterialClassesTest : public MaterialsTest {
protected:
    MaterialClassesTest() : database_(Kiv::PString(folder_.Root().c_str())) {
        folder_.WriteFile("a.tga", "\0\0\x02"s + std::string(9, '\0') + "\x01\0\x01\0\x18\x20"s + "abc");
        folder_.WriteFile("n.texture.txt", "Primary=a.tga\n");
        folder_.WriteFile("broken.texture.txt", "Primary=missing.tga\n");
        shared_ = kernel_.GetTextureManager()->GetSharedTextures().GetTexture(0);
    }
    ~MaterialClassesTest() override { shared_->ReleaseReference(); }

    TempFolder folder_;
    Kiv::ResourceSystem system_;
    Kiv::ResourceDatabase database_;
    Kiv::Texture* shared_;
};

TEST_F(MaterialClassesTest, BumpSlotsKeepTheirTextureOnFailure) {
    Kiv::Material* bump = Make("m.tbumptex");
    EXPECT_EQ(bump->GetTexture(8), shared_);  // never empty
    EXPECT_EQ(bump->IsLoaded(), 0);
    EXPECT_EQ(bump->SetTexture(8, nullptr, 1.0f), 3);
    EXPECT_EQ(bump->SetTexture(8, &database_, Kiv::PString("none.texture"), 1.0f), 3);
    EXPECT_EQ(bump->GetTexture(8), shared_);

    bump->SetCachedAlphaHint(0);
    EXPECT_EQ(bump->SetTexture(8, &database_, Kiv::PString("n.texture"), 0.5f), 0);
    EXPECT_EQ(bump->GetCachedAlphaHint(), -1);
    EXPECT_EQ(bump->GetTexture(8)->GetName().View(), "n.texture");
    EXPECT_EQ(bump->GetTextureDefinition(8)->amount, 0.5f);
    EXPECT_EQ(bump->IsLoaded(), 4);  // not loaded yet
    bump->Activate(0);
    EXPECT_EQ(bump->IsLoaded(), 0);

    Kiv::Texture* before = bump->GetTexture(8);
    EXPECT_EQ(bump->DuplicateTexture(8), 0);
    EXPECT_NE(bump->GetTexture(8), before);

    ASSERT_EQ(bump->SetTexture(8, &database_, Kiv::PString("broken.texture"), 1.0f), 0);
    bump->Activate(0);
    EXPECT_EQ(bump->IsLoaded(), 4);
}

TEST_F(MaterialClassesTest, TheIndexNineTextureAndItsAmount) {
    auto* gloss = Make<Kiv::KodrinBumpGlossMaterial>("m.tbumpgloss");
    auto* env = Make<Kiv::KodrinBumpEnvMaterial>("m.tbumpenv");
    for (Kiv::KodrinBumpIndex9Material* material : {static_cast<Kiv::KodrinBumpIndex9Material*>(gloss),
                                                    static_cast<Kiv::KodrinBumpIndex9Material*>(env)}) {
        EXPECT_EQ(material->GetTexture(9), shared_);
        EXPECT_EQ(material->GetIndex9Amount(), 0.0f);
        EXPECT_EQ(material->SetTexture(9, shared_, 0.6f), 0);
        EXPECT_EQ(material->GetIndex9Amount(), 0.6f);
        EXPECT_EQ(material->SetTexture(9, &database_, Kiv::PString("none.texture"), 1.0f), 3);
        EXPECT_EQ(material->GetTexture(9), shared_);
        ASSERT_EQ(material->SetTexture(9, &database_, Kiv::PString("n.texture"), 1.0f), 0);
        EXPECT_EQ(material->IsLoaded(), 4);  // the index-9 texture decides first
    }
}

TEST_F(MaterialClassesTest, MultiPFXTakesTheEmptyAnswer) {
    auto* pfx = Make<Kiv::KodrinMultiPFXMaterial>("m.tmpfx");
    EXPECT_EQ(pfx->GetTexture(12), nullptr);
    EXPECT_EQ(pfx->DuplicateTexture(12), 3);
    ASSERT_EQ(pfx->SetTexture(12, &database_, Kiv::PString("n.texture"), 1.0f), 0);
    EXPECT_NE(pfx->GetTexture(12), nullptr);
    EXPECT_EQ(pfx->SetTexture(12, &database_, Kiv::PString("none.texture"), 1.0f), 3);
    EXPECT_EQ(pfx->GetTexture(12), nullptr);
    EXPECT_EQ(pfx->IsLoaded(), 4);
}

TEST_F(MaterialClassesTest, EqualityIsOfTheExactClassAndClonesCopy) {
    auto* gloss = Make<Kiv::KodrinBumpGlossMaterial>("m.tbumpgloss");
    auto* env = Make<Kiv::KodrinBumpEnvMaterial>("m.tbumpenv");
    EXPECT_EQ(gloss->GetTexture(8), env->GetTexture(8));
    EXPECT_EQ(gloss->GetTexture(9), env->GetTexture(9));
    EXPECT_FALSE(gloss->IsEqual(*env));
    EXPECT_FALSE(env->IsEqual(*gloss));

    env->SetTexture(9, shared_, 0.3f);
    Kiv::Material* envCopy = env->Clone();
    materials_.push_back(envCopy);
    ASSERT_NE(dynamic_cast<Kiv::KodrinBumpEnvMaterial*>(envCopy), nullptr);
    EXPECT_EQ(static_cast<Kiv::KodrinBumpEnvMaterial*>(envCopy)->GetEnvAmount(), 0.3f);
    EXPECT_TRUE(envCopy->IsEqual(*env));

    auto* noAlpha = Make<Kiv::KodrinOneTexNoAlphaMaterial>("m.tonetexnoalpha");
    noAlpha->depthWrite = 0;
    noAlpha->alphaTest = 1;
    Kiv::Material* noAlphaCopy = noAlpha->Clone();
    materials_.push_back(noAlphaCopy);
    auto* copied = dynamic_cast<Kiv::KodrinOneTexNoAlphaMaterial*>(noAlphaCopy);
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->depthWrite, 0);
    EXPECT_EQ(copied->alphaTest, 1);
    EXPECT_TRUE(copied->IsEqual(*noAlpha));
    copied->depthWrite = 1;
    EXPECT_FALSE(copied->IsEqual(*noAlpha));

    for (const char* type : {"m.tbumptex", "m.tglossrust", "m.tmpfx", "m.nofogtex"}) {
        Kiv::Material* material = Make(type);
        Kiv::Material* copy = material->Clone();
        ASSERT_NE(copy, nullptr) << type;
        materials_.push_back(copy);
        EXPECT_EQ(copy->GetTypeName(), material->GetTypeName()) << type;
        EXPECT_TRUE(copy->IsEqual(*material)) << type;
    }
}

TEST_F(MaterialClassesTest, ChunksEachClassMakes) {
    using Hint = Kiv::ChunkHint;
    const uint8_t lit = Hint::kSoftwareLighting;
    const uint8_t skinned = Hint::kSkinned;
    const struct {
        const char* type;
        bool standard;
        uint8_t flags;
        int vertexMode;
        int indexMode;
        bool displaySkinsInSoftware;
        std::vector<int> items;
        uint32_t chunkFlags;
        Lines sharing;
        bool rustAge;
    } cases[] = {
        {"m.tbumptex", true, 0, 2, 2, false, {1, 4, 15, 27}, 0x44, {}, false},
        {"m.tbumptex", true, lit | skinned, 2, 1, false, {1, 4, 15, 27}, 0x1044,
         {"SetVertexDataDynamic 0 -2 1", "SetVertexDataShared 0 0 0", "SetIndexDataDynamic"}, false},
        {"m.tbumptex", true, skinned, 3, 2, false, {1, 4, 15, 27}, 0x1044,
         {"SetVertexDataDynamic 0 -2 1", "SetVertexDataShared 0 0 0"}, false},
        {"m.tbumptex", true, 0, 1, 2, false, {1, 4, 15, 27}, 0x44, {"SetVertexDataDynamic 0 -2 1"}, false},
        {"m.tbumptex", false, lit | skinned, 2, 2, false, {1, 4, 15, 27, 9, 10}, 0x04, {}, false},
        {"m.tbumpgloss", true, 0, 2, 2, false, {1, 4, 15, 27}, 0x44, {"SetVertexDataShared 0 -3 0"}, true},
        {"m.tbumpgloss", true, skinned, 2, 2, false, {1, 4, 15, 27}, 0x1044,
         {"SetVertexDataDynamic 0 -2 1", "SetVertexDataShared 0 0 0"}, true},
        {"m.tbumpenv", true, 0, 2, 2, false, {1, 4, 15, 27}, 0x44, {"SetVertexDataShared 0 -3 0"}, false},
        {"m.tglossrust", true, 0, 2, 2, false, {1, 4, 15}, 0x44, {"SetVertexDataShared 0 -3 0"}, true},
        {"m.tonetexnoalpha", true, lit, 2, 2, false, {1, 2, 15}, 0x44, {"SetVertexDataShared 0 0 0"}, false},
        {"m.tonetexnoalpha", true, skinned, 2, 2, false, {1, 4, 15, 9, 10}, 0x04,
         {"SetVertexDataDynamic 0 -2 1", "SetVertexDataShared 0 0 0"}, false},
        {"m.tonetexnoalpha", true, skinned, 3, 1, true, {1, 4, 15}, 0x1044,
         {"SetVertexDataShared 0 0 0", "SetIndexDataDynamic"}, false},
        {"m.tmpfx", true, 0, 1, 2, false, {1, 2, 15}, 0x44,
         {"SetVertexDataDynamic 0 -2 1", "SetVertexDataShared 0 0 0", "SetVertexType 99 0"}, false},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.type) + " flags " + std::to_string(c.flags) +
                                 " mode " + std::to_string(c.vertexMode);
        display_->SetSoftwareSkinning(c.displaySkinsInSoftware);
        Hint hint = c.standard ? Kiv::StandardChunkHint() : Hint();
        hint.flags = c.flags;
        hint.vertexBufferMode = c.vertexMode;
        hint.indexBufferMode = c.indexMode;
        hint.weightsPerVertex = 4;
        Kiv::GeometryChunk* chunk = Chunk(*Make(c.type), hint);
        ASSERT_NE(chunk, nullptr) << what;
        EXPECT_EQ(chunk->GetItemKinds(), c.items) << what;
        EXPECT_EQ(chunk->GetFlags(), c.chunkFlags) << what;
        EXPECT_EQ(chunk->GetSharingCalls(), c.sharing) << what;
        EXPECT_EQ(chunk->HasChunkProperty("RustAge"), c.rustAge) << what;
        EXPECT_EQ(chunk->GetChunkProperty("RustAge"), 0.0f) << what;
    }
    display_->SetSoftwareSkinning(false);
}

TEST_F(MaterialClassesTest, MultiPFXMakesItsVertexTypeOnce) {
    auto* pfx = Make<Kiv::KodrinMultiPFXMaterial>("m.tmpfx");
    EXPECT_EQ(pfx->GetVertexType(), nullptr);
    Kiv::GeometryChunk* first = Chunk(*pfx);
    const Kiv::VertexType* type = pfx->GetVertexType();
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(Chunk(*pfx)->GetVertexType(), type);
    EXPECT_EQ(first->GetVertexType(), type);
    EXPECT_TRUE(display_->IsVertexTypeRegistered(type));
    EXPECT_EQ(type->GetId(), 99);
    EXPECT_EQ(type->GetStreamCount(), 1);
    ASSERT_EQ(type->GetItems().size(), 4u);
    const int kinds[] = {1, 2, 15, 16};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(type->GetItems()[i].kind, kinds[i]);
    EXPECT_EQ(type->GetItems()[3].source, 15);
    EXPECT_EQ(type->GetItems()[3].name, "");
}

TEST_F(MaterialClassesTest, OnePassDrawing) {
    Kiv::Material* noAlpha = Make("m.tonetexnoalpha");
    Kiv::GeometryChunk* chunk = Chunk(*noAlpha);
    chunk->SetOpacity(0.5f);
    const Kiv::Matrix4 model = Kiv::Matrix4::Translation({1, 2, 3});
    Record();
    noAlpha->RenderChunk(*display_, nullptr, chunk, nullptr, &model, -1);
    EXPECT_EQ(Log(), (Lines{"SetCullMode 1", "ClearTextureStage 0", "SetBlendFactors 4 5",
                            "ApplyStageProgram 0", "SetAlphaTest 0", "SetDepthWrite 1",
                            "SetColorMaterialMode 5", "SetLightingState 0.5 0 0 0 1",
                            "SetModelMatrix 1 2 3", "Draw - 4 1", "SetCullMode 1",
                            "SetBlendFactors 1 0", "ResetTextureStage 0", "SetAlphaTest 0",
                            "SetDepthWrite 1", "SetColorMaterialMode 0"}));

    Kiv::Material* pfx = Make("m.tmpfx");
    Kiv::GeometryChunk* chunks[] = {Chunk(*pfx), Chunk(*pfx)};
    const Kiv::Matrix4* models[] = {&model, &model};
    Record();
    pfx->RenderNumChunks(*display_, &viewport_, chunks, nullptr, models, 2);
    const Lines log = Log();
    Lines steps;
    for (const std::string& line : log) {
        if (line.rfind("ApplyStageProgram", 0) == 0 || line.rfind("SetLightingState", 0) == 0 ||
            line.rfind("Draw", 0) == 0 || line.rfind("ResetTextureMatrix", 0) == 0) {
            steps.push_back(line);
        }
    }
    EXPECT_EQ(steps, (Lines{"ApplyStageProgram 0", "ApplyStageProgram 1", "SetLightingState 1 0 0 0 1",
                            "Draw - 4 1", "SetLightingState 1 0 0 0 1", "Draw - 4 1",
                            "ResetTextureMatrix 1"}));
}

TEST_F(MaterialClassesTest, GlossRustChoosesItsPassByRustAge) {
    Kiv::Material* rust = Make("m.tglossrust");
    rust->specular = {0.4f, 0.4f, 0.4f, 1};
    display_->SetSceneAmbient({0.2f, 0.2f, 0.2f, 1});
    Kiv::GeometryChunk* chunk = Chunk(*rust);
    Record();
    rust->RenderChunk(*display_, &viewport_, chunk, nullptr, nullptr, -1);
    EXPECT_TRUE(Log().empty());  // no reflection texture yet
    ASSERT_EQ(rust->SetTexture(9, shared_, 1.0f), 0);

    const Lines start = {"SetCullMode 1", "ClearTextureStage 0", "SetBlendFactors 4 5",
                         "BindTexture 1 SharedTexture0"};
    const Lines clear = {"SetCullMode 1", "SetBlendFactors 1 0", "ResetTextureStage 1",
                         "ResetTextureStage 0"};
    const struct {
        float rustAge;
        Lines passes;
    } cases[] = {
        // reflective: constants (1 - 2 x 0.25) x 1; a plain texture is sphere-mapped
        {0.25f,
         {"SetLightingState 1 0.4 0.4 0.4 1", "SetModelMatrix 0 0 0", "ChangeTexGen 0",
          "ApplyStageProgram 0", "ApplyStageProgram 1", "SetTextureStageConstant 0 0.5 0.5 0.5 0.5",
          "SetTextureStageConstant 1 0.5 0.5 0.5 0.5", "SetSphericalTexureCoordinates", "Draw - 4 1",
          "ResetTextureMatrix 1"}},
        // rust: specular x (1.5 - 0.75); scene ambient x white, alpha (0.75 - 0.5) x 2
        {0.75f,
         {"SetLightingState 1 0.3 0.3 0.3 0.75", "SetModelMatrix 0 0 0", "ApplyStageProgram 0",
          "ApplyStageProgram 1", "SetTextureStageConstant 0 0.2 0.2 0.2 0.5",
          "SetTextureStageConstant 1 0.2 0.2 0.2 0.5", "Draw - 4 1"}},
    };
    const Kiv::Matrix4 identity;
    for (const auto& c : cases) {
        chunk->SetChunkProperty("RustAge", c.rustAge);
        Record();
        rust->RenderChunk(*display_, &viewport_, chunk, nullptr, &identity, -1);
        Lines expected = start;
        expected.insert(expected.end(), c.passes.begin(), c.passes.end());
        expected.insert(expected.end(), clear.begin(), clear.end());
        EXPECT_EQ(Log(), expected) << c.rustAge;
        EXPECT_EQ(rust->specular, (Kiv::Color{0.4f, 0.4f, 0.4f, 1})) << c.rustAge;
        EXPECT_EQ(rust->ambient, (Kiv::Color{1, 1, 1, 1})) << c.rustAge;
    }
}

}  // namespace

namespace {

TEST_F(MaterialClassesTest, ActivateOrderAndPriority) {
    auto named = [&](const char* name) {
        Kiv::Texture* texture = kernel_.GetTextureManager()->GetTexture(&database_, Kiv::PString(name));
        EXPECT_NE(texture, nullptr) << name;
        return texture;
    };
    Kiv::Texture* base = named("n.texture");
    Kiv::Texture* other = named("broken.texture");
    const struct {
        const char* type;
        int own;
        Lines order;
    } cases[] = {
        {"m.tbumptex", 8, {"ActivateTexture broken.texture 2", "ActivateTexture n.texture 2"}},
        {"m.tbumpenv", 8, {"ActivateTexture broken.texture 2", "ActivateTexture n.texture 2"}},
        {"m.tbumpgloss", 9,
         {"ActivateTexture broken.texture 2", "ActivateTexture SharedTexture0 2", "ActivateTexture n.texture 2"}},
        {"m.tmpfx", 12, {"ActivateTexture n.texture 2", "ActivateTexture broken.texture 2"}},
    };
    for (const auto& c : cases) {
        Kiv::Material* material = Make(c.type);
        material->SetResourcePriority(7);
        ASSERT_EQ(material->SetTexture(0, base, 1.0f), 0) << c.type;
        ASSERT_EQ(material->SetTexture(c.own, other, 1.0f), 0) << c.type;
        EXPECT_EQ(other->GetPriority(), 7) << c.type;
        other->SetResourcePriority(0);
        Record();
        material->Activate(2);
        EXPECT_EQ(LogOf("ActivateTexture"), c.order) << c.type;
    }
    Kiv::Material* pfx = Make("m.tmpfx");
    pfx->SetTexture(12, other, 1.0f);
    pfx->SetResourcePriority(5);
    EXPECT_EQ(other->GetPriority(), 5);  // the second texture follows the material
    base->ReleaseReference();
    other->ReleaseReference();
}

TEST_F(MaterialClassesTest, GlossRustDrawsEveryReflectionBeforeAnyRust) {
    Kiv::Material* rust = Make("m.tglossrust");
    rust->specular = {0.4f, 0.4f, 0.4f, 1};
    ASSERT_EQ(rust->SetTexture(9, shared_, 1.0f), 0);
    Kiv::GeometryChunk* chunks[] = {Chunk(*rust), Chunk(*rust), Chunk(*rust)};
    chunks[0]->SetChunkProperty("RustAge", 0.75f);
    chunks[1]->SetChunkProperty("RustAge", 0.25f);
    chunks[2]->SetChunkProperty("RustAge", 0.5f);  // no reflection left: the rust pass, alpha 0
    const Kiv::Matrix4 model;
    const Kiv::Matrix4* models[] = {&model, &model, &model};
    Record();
    rust->RenderNumChunks(*display_, &viewport_, chunks, nullptr, models, 3);
    Lines steps;
    for (const std::string& line : Log()) {
        if (line.rfind("SetLightingState", 0) == 0 || line.rfind("Draw", 0) == 0 ||
            line.rfind("SetTextureStageConstant 0", 0) == 0) {
            steps.push_back(line);
        }
    }
    EXPECT_EQ(steps, (Lines{"SetLightingState 1 0.4 0.4 0.4 1", "SetTextureStageConstant 0 0.5 0.5 0.5 0.5",
                            "Draw - 4 1", "SetLightingState 1 0.3 0.3 0.3 0.75",
                            "SetTextureStageConstant 0 0 0 0 0.5", "Draw - 4 1",
                            "SetLightingState 1 0.4 0.4 0.4 1", "SetTextureStageConstant 0 0 0 0 0",
                            "Draw - 4 1"}));
    EXPECT_EQ(rust->specular, (Kiv::Color{0.4f, 0.4f, 0.4f, 1}));
    EXPECT_EQ(rust->ambient, (Kiv::Color{1, 1, 1, 1}));
}

}  // namespace
