// The bump materials' lighting passes over the recording display: the lights chosen, the
// program constants worked out by hand, the pass order, and the blend and fog states the
// spot pass sets and puts back.
#include "content3d/materials/bump_materials.h"
#include "engine/texture.h"
#include "materials_test_support.h"

namespace {

using Lines = std::vector<std::string>;

Kiv::DisplayLight Light(int type, Kiv::Color diffuse, Kiv::Color ambient = {0, 0, 0, 0}) {
    Kiv::DisplayLight light;
    light.type = type;
    light.diffuse = diffuse;
    light.ambient = ambient;
    light.specular = {1, 1, 1, 1};
    light.direction = {0, 0, -1};
    return light;
}

class BumpLightingTest : public MaterialsTest {
protected:
    BumpLightingTest() {
        camera_.SetPosition({0, 0, 5});
        model_ = Kiv::Matrix4::Translation({10, 0, 0});
        spot_ = Light(Kiv::kLightSpot, {0.5f, 0.5f, 0.5f, 1});
        spot_.position = {10, 0, 2};
        spot_.spotAngle = 60;
        spot_.range = 4;
    }

    void Draw(Kiv::Material& material, const Kiv::LightList& lights) {
        Kiv::GeometryChunk* chunk = Chunk(material);
        Record();
        material.RenderChunk(*display_, &viewport_, chunk, &lights, &model_, -1);
    }

    Kiv::Matrix4 model_;
    Kiv::DisplayLight spot_;
};

TEST_F(BumpLightingTest, AmbientLightsOnlyGiveOnePassWithTheAmbientSum) {
    auto* bump = Make("m.tbumptex");
    bump->ambient = {0.5f, 0.5f, 0.5f, 1};
    bump->emissive = {0.1f, 0, 0, 0};
    display_->SetSceneAmbient({0.2f, 0.2f, 0.2f, 1});
    Kiv::DisplayLight a = Light(Kiv::kLightAmbient, {1, 1, 1, 1}, {0.3f, 0.3f, 0.3f, 0});
    Kiv::DisplayLight b = Light(Kiv::kLightAmbient, {1, 1, 1, 1}, {0.4f, 1.0f, 0.1f, 0});
    Draw(*bump, {&a, &b});
    // LightAmb: 0.5 x (0.2 + 0.3 + 0.4) + 0.1, 0.5 x 1.5, 0.5 x 0.6; Specular zeroed.
    EXPECT_EQ(LogOf("CombinerConstant"),
              (Lines{"CombinerConstant KodrinBumpMat_ParallelLight 0 0 0 0 1",
                     "CombinerConstant KodrinBumpMat_ParallelLight 2 0 0 0 1",
                     "CombinerConstant KodrinBumpMat_ParallelLight 1 0.55 0.75 0.3 1"}));
    EXPECT_EQ(LogOf("VertexConstant"),
              (Lines{"VertexConstant KodrinBump_ParallelLight 7 0 0 0 0",
                     "VertexConstant KodrinBump_ParallelLight 13 0 0 0 0"}));
    EXPECT_EQ(LogOf("Draw"), Lines{"Draw KodrinBump_ParallelLight 4 1"});
}

TEST_F(BumpLightingTest, TheBrightestParallelLightDrivesThePass) {
    const struct {
        float first;
        float second;
        const char* lightDiff;
    } cases[] = {
        {0.5f, 0.7f, "CombinerConstant KodrinBumpMat_ParallelLight 0 0.7 0.7 0.7 1"},  // 1.5 < 2.1
        {0.5f, 0.5f, "CombinerConstant KodrinBumpMat_ParallelLight 0 0.5 0.5 0.5 1"},  // tie
    };
    auto* bump = Make("m.tbumptex");
    for (const auto& c : cases) {
        Kiv::DisplayLight first = Light(Kiv::kLightParallel, {c.first, c.first, c.first, 1});
        Kiv::DisplayLight second = Light(Kiv::kLightParallel, {c.second, c.second, c.second, 1});
        second.direction = {1, 0, 0};
        Draw(*bump, {&first, &second});
        EXPECT_EQ(LogOf("CombinerConstant KodrinBumpMat_ParallelLight 0")[0], c.lightDiff);
    }
}

// view identity, model = translation (10, 0, 0): directions are unchanged, points move by
// (-10, 0, 0). Camera at (0, 0, 5); spot at (10, 0, 2), 60 degrees, range 4.
TEST_F(BumpLightingTest, PassConstantsInObjectSpace) {
    auto* bump = Make("m.tbumptex");
    bump->specular = {0.5f, 0.5f, 0.5f, 1};
    Kiv::DisplayLight sun = Light(Kiv::kLightParallel, {0.8f, 0.6f, 0.4f, 1});
    Draw(*bump, {&sun, &spot_});
    EXPECT_EQ(LogOf("VertexConstant"),
              (Lines{"VertexConstant KodrinBump_ParallelLight 7 0 0 -1 0",
                     "VertexConstant KodrinBump_ParallelLight 13 -10 0 5 1",
                     "VertexConstant KodrinBump_SpotLight 7 0 0 -1 0",
                     "VertexConstant KodrinBump_SpotLight 13 -10 0 5 1",
                     "VertexConstant KodrinBump_SpotLight 5 0 0 2 1",
                     "VertexConstant KodrinBump_SpotLight 6 0.5 0.25 0 0"}));
    // The bump programs' parallel and spot combiners are the same program.
    EXPECT_EQ(LogOf("CombinerConstant"),
              (Lines{"CombinerConstant KodrinBumpMat_ParallelLight 0 0.8 0.6 0.4 1",
                     "CombinerConstant KodrinBumpMat_ParallelLight 2 0.5 0.5 0.5 0.75",
                     "CombinerConstant KodrinBumpMat_ParallelLight 1 0 0 0 1",
                     "CombinerConstant KodrinBumpMat_ParallelLight 0 0.5 0.5 0.5 1",
                     "CombinerConstant KodrinBumpMat_ParallelLight 1 0 0 0 1",
                     "CombinerConstant KodrinBumpMat_ParallelLight 2 0.5 0.5 0.5 0.75"}));
    EXPECT_EQ(LogOf("Draw"), (Lines{"Draw KodrinBump_ParallelLight 4 1", "Draw KodrinBump_SpotLight 4 1"}));
}

TEST_F(BumpLightingTest, TheSpotPassPutsBlendAndFogBack) {
    const struct {
        const char* type;
        const char* factors;
    } cases[] = {
        {"m.tbumptex", "SetBlendFactors 4 1"},
        {"m.tbumpenv", "SetBlendFactors 4 1"},
        {"m.tbumpgloss", "SetBlendFactors 1 1"},
    };
    Kiv::DisplayLight sun = Light(Kiv::kLightParallel, {1, 1, 1, 1});
    Kiv::Texture* shared = kernel_.GetTextureManager()->GetSharedTextures().GetTexture(0);
    for (const auto& c : cases) {
        Kiv::Material* material = Make(c.type);
        material->SetTexture(9, shared, 1.0f);  // the gloss amount; the bump class has no index 9
        display_->SetBlendFactors(2, 3);
        display_->SetFogMode(3);
        display_->SetAlphaBlendEnable(false);
        Draw(*material, {&sun, &spot_});
        const Lines blends = LogOf("SetBlendFactors");
        EXPECT_NE(std::find(blends.begin(), blends.end(), c.factors), blends.end()) << c.type;
        int source = 0, destination = 0;
        display_->GetBlendFactors(source, destination);
        EXPECT_EQ(source, 2) << c.type;
        EXPECT_EQ(destination, 3) << c.type;
        EXPECT_EQ(display_->GetFogMode(), 3) << c.type;
        EXPECT_FALSE(display_->GetAlphaBlendEnable()) << c.type;
        EXPECT_EQ(LogOf("Draw").size(), 2u) << c.type;
    }
    shared->ReleaseReference();
}

TEST_F(BumpLightingTest, RenderNumChunksDrawsEveryParallelPassFirst) {
    auto* bump = Make("m.tbumptex");
    Kiv::DisplayLight sun = Light(Kiv::kLightParallel, {1, 1, 1, 1});
    const Kiv::LightList lights{&sun, &spot_};
    Kiv::GeometryChunk* chunks[] = {Chunk(*bump), Chunk(*bump), Chunk(*bump)};
    const Kiv::LightList* lightLists[] = {&lights, &lights, &lights};
    const Kiv::Matrix4* models[] = {&model_, &model_, &model_};
    Record();
    bump->RenderNumChunks(*display_, &viewport_, chunks, lightLists, models, 3);
    EXPECT_EQ(LogOf("Draw"), (Lines{"Draw KodrinBump_ParallelLight 4 1", "Draw KodrinBump_ParallelLight 4 1",
                                    "Draw KodrinBump_ParallelLight 4 1", "Draw KodrinBump_SpotLight 4 1",
                                    "Draw KodrinBump_SpotLight 4 1", "Draw KodrinBump_SpotLight 4 1"}));
    EXPECT_EQ(LogOf("BindTexture 1").size(), 1u);  // the display state once

    Record();
    bump->RenderNumChunks(*display_, nullptr, chunks, lightLists, models, 3);
    bump->RenderChunk(*display_, nullptr, chunks[0], &lights, &model_, -1);
    EXPECT_TRUE(Log().empty());  // nothing without a viewport
}

TEST_F(BumpLightingTest, GlossLerpWhiteAmbientAndNothingWhenFaded) {
    auto* gloss = Make<Kiv::KodrinBumpGlossMaterial>("m.tbumpgloss");
    Kiv::Texture* shared = kernel_.GetTextureManager()->GetSharedTextures().GetTexture(0);
    gloss->SetTexture(9, shared, 0.8f);
    gloss->ambient = {0.25f, 0.25f, 0.25f, 1};
    display_->SetSceneAmbient({0.5f, 0.5f, 0.5f, 1});
    Kiv::GeometryChunk* chunk = Chunk(*gloss);
    chunk->SetChunkProperty("RustAge", 0.25f);
    Kiv::DisplayLight ambientOnly = Light(Kiv::kLightAmbient, {0, 0, 0, 1}, {0.25f, 0.25f, 0.25f, 0});
    const Kiv::LightList lights{&ambientOnly};
    Record();
    gloss->RenderChunk(*display_, &viewport_, chunk, &lights, &model_, -1);
    // Lerp 0.8 x (1 - 0.5); no parallel light: Specular (register 3) left alone; LightAmb
    // from white ambient: 1 x (0.5 + 0.25).
    EXPECT_EQ(LogOf("CombinerConstant"),
              (Lines{"CombinerConstant KodrinBumpGlossMat_ParallelLight 2 0.4 0.4 0.4 0.4",
                     "CombinerConstant KodrinBumpGlossMat_ParallelLight 0 0 0 0 1",
                     "CombinerConstant KodrinBumpGlossMat_ParallelLight 1 0.75 0.75 0.75 1"}));
    EXPECT_EQ(gloss->ambient, (Kiv::Color{0.25f, 0.25f, 0.25f, 1}));

    for (float rustAge : {0.5f, 0.75f}) {
        chunk->SetChunkProperty("RustAge", rustAge);
        Record();
        gloss->RenderChunk(*display_, &viewport_, chunk, &lights, &model_, -1);
        EXPECT_TRUE(LogOf("Draw").empty()) << rustAge;
    }
    chunk->SetChunkProperty("RustAge", 0);
    gloss->SetTexture(9, shared, 0.0f);
    Record();
    gloss->RenderChunk(*display_, &viewport_, chunk, &lights, &model_, -1);
    EXPECT_TRUE(LogOf("Draw").empty());
    shared->ReleaseReference();
}

Kiv::Texture* g_providedTexture = nullptr;
Kiv::Texture* Provide(Kiv::Material*, Kiv::Viewport*) {
    return g_providedTexture;
}

TEST_F(BumpLightingTest, EnvironmentStageThreeAndCubeMatrixComeFirst) {
    Kiv::Material* env = Make("m.tbumpenv");
    Kiv::DisplayLight sun = Light(Kiv::kLightParallel, {1, 1, 1, 1});
    Draw(*env, {&sun});
    const Lines log = Log();
    const Lines expectedStart = {"BindTexture 1 SharedTexture0", "SetCullMode 1", "ClearTextureStage 0",
                                 "SetBlendFactors 4 5", "BindDefaultStageTexture 3",
                                 "SetTextureMatrix 1", "SetModelMatrix 10 0 0"};
    ASSERT_GE(log.size(), expectedStart.size());
    EXPECT_EQ(Lines(log.begin(), log.begin() + expectedStart.size()), expectedStart);
    // view identity: the stage-1 matrix is the environment matrix itself, rows (1,0,0,0),
    // (0,0,1,0), (0,-1,0,0), (0,0,0,1)
    const Kiv::Matrix4 envMatrix(std::array<float, 16>{1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1});
    EXPECT_EQ(display_->GetTextureMatrix(1), envMatrix);

    g_providedTexture = kernel_.GetTextureManager()->GetSharedTextures().GetTexture(0);
    Kiv::SetEnvironmentMapProvider(Provide);
    Draw(*env, {&sun});
    Kiv::SetEnvironmentMapProvider(nullptr);
    EXPECT_EQ(LogOf("BindTexture 3"), Lines{"BindTexture 3 SharedTexture0"});
    EXPECT_TRUE(LogOf("BindDefaultStageTexture").empty());
    g_providedTexture->ReleaseReference();
}

}  // namespace
