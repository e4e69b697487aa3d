// The display states each material class sets before it draws and clears after, read from
// the recording display: the textures on their stages, alpha test and depth writes of the
// ground base, colour-material mode, stage programs, fog and blending saved and restored.
#include "content3d/materials/ground_materials.h"
#include "materials_test_support.h"

namespace {

using Lines = std::vector<std::string>;

TEST_F(MaterialsTest, EachClassSetsAndClearsItsStates) {
    auto* ground = new Kiv::KodrinGroundBaseMaterial(kernel_.GetMaterialManager(), nullptr, nullptr);
    materials_.push_back(ground);
    Kiv::Material* noFogPlain = Make("m.nofogtex");
    noFogPlain->flags = Kiv::Material::kCullNone | Kiv::Material::kNoBlendFactors;
    const struct {
        const char* what;
        Kiv::Material* material;
        Lines set;
        Lines clear;
    } cases[] = {
        {"bump", Make("m.tbumptex"),
         {"BindTexture 1 SharedTexture0", "SetCullMode 1", "ClearTextureStage 0", "SetBlendFactors 4 5"},
         {"ResetTextureStage 1", "SetCullMode 1", "SetBlendFactors 1 0"}},
        {"bump-env", Make("m.tbumpenv"),
         {"BindTexture 1 SharedTexture0", "SetCullMode 1", "ClearTextureStage 0", "SetBlendFactors 4 5"},
         {"ResetTextureStage 3", "ResetTextureStage 1", "SetCullMode 1", "SetBlendFactors 1 0"}},
        {"bump-gloss", Make("m.tbumpgloss"),
         {"BindTexture 3 SharedTexture0", "BindTexture 1 SharedTexture0", "SetCullMode 1",
          "ClearTextureStage 0", "SetBlendFactors 4 5"},
         {"ResetTextureStage 3", "ResetTextureStage 1", "SetCullMode 1", "SetBlendFactors 1 0"}},
        {"ground base", ground,
         {"SetCullMode 1", "ClearTextureStage 0", "SetBlendFactors 4 5", "SetAlphaTest 0",
          "SetDepthWrite 1"},
         {"SetCullMode 1", "SetBlendFactors 1 0", "SetAlphaTest 1", "SetDepthWrite 1"}},
        {"no alpha", Make("m.tonetexnoalpha"),
         {"SetCullMode 1", "ClearTextureStage 0", "SetBlendFactors 4 5", "ApplyStageProgram 0",
          "SetAlphaTest 0", "SetDepthWrite 1", "SetColorMaterialMode 5"},
         {"SetCullMode 1", "SetBlendFactors 1 0", "ResetTextureStage 0", "SetAlphaTest 1",
          "SetDepthWrite 1", "SetColorMaterialMode 0"}},
        {"multi-PFX", Make("m.tmpfx"),
         {"SetCullMode 1", "ClearTextureStage 0", "SetBlendFactors 4 5", "ApplyStageProgram 0",
          "ApplyStageProgram 1", "ClearTextureStage 1", "SetTextureMatrix 1"},
         {"SetCullMode 1", "SetBlendFactors 1 0", "ResetTextureStage 0", "ResetTextureStage 1",
          "ResetTextureMatrix 1"}},
        {"no fog", Make("m.nofogtex"),
         {"SetFogMode 0", "SetCullMode 1", "ClearTextureStage 0", "SetBlendFactors 4 5",
          "SetAlphaBlendEnable 1", "ApplyStageProgram 0"},
         {"SetFogMode 3", "SetCullMode 1", "SetAlphaBlendEnable 0", "SetBlendFactors 1 0",
          "ResetTextureStage 0"}},
        {"no fog, cull none, own blend", noFogPlain,
         {"SetFogMode 0", "SetCullMode 0", "ClearTextureStage 0", "ApplyStageProgram 0"},
         {"SetFogMode 3", "SetCullMode 1", "ResetTextureStage 0"}},
        {"gloss-rust", Make("m.tglossrust"),
         {"SetCullMode 1", "ClearTextureStage 0", "SetBlendFactors 4 5"},
         {"SetCullMode 1", "SetBlendFactors 1 0", "ResetTextureStage 1", "ResetTextureStage 0"}},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.material, nullptr) << c.what;
        display_->SetAlphaTest(true);
        display_->SetFogMode(3);
        display_->SetBlendFactors(1, 0);
        display_->SetAlphaBlendEnable(false);
        Record();
        c.material->SetDisplayState(*display_);
        EXPECT_EQ(Log(), c.set) << c.what;
        Record();
        c.material->ClearDisplayState(*display_);
        EXPECT_EQ(Log(), c.clear) << c.what;
    }
}

TEST_F(MaterialsTest, BindAndUnbindActOnPassZeroOnly) {
    Kiv::Material* noAlpha = Make("m.tonetexnoalpha");
    Record();
    noAlpha->Bind(*display_, 1);
    noAlpha->Unbind(*display_, 1);
    EXPECT_TRUE(Log().empty());
    noAlpha->Bind(*display_, 0);
    EXPECT_EQ(LogOf("SetColorMaterialMode"), Lines{"SetColorMaterialMode 5"});
    noAlpha->Unbind(*display_, 0);
    EXPECT_EQ(LogOf("SetColorMaterialMode"), (Lines{"SetColorMaterialMode 5", "SetColorMaterialMode 0"}));
}

}  // namespace
