// The material plug-ins: what each needs of the display and the replacement it names, the
// caches they find or add (in their order), programs made once and shared, failures that
// leave nothing behind, the stage programs of the gloss-rust and multi-PFX plug-ins, and
// the registration list.
#include "content3d/materials/bump_material_plugins.h"
#include "content3d/materials/multi_pfx_material_plugin.h"
#include "content3d/materials/one_texture_kind_plugins.h"
#include "content3d/materials/bump_program_texts.h"
#include "content3d/materials/stage_program_settings.h"
#include "engine/texture_combiner.h"
#include "engine/vertex_program.h"
#include "materials_test_support.h"

namespace {

using Lines = std::vector<std::string>;

// A plug-in made for one test and let go with it.
template <typename T>
struct Fresh {
    T* plugin = new T;
    ~Fresh() { plugin->ReleaseReference(); }
    T* operator->() const { return plugin; }
};

TEST_F(MaterialsTest, WhatEachPluginNeedsOfTheDisplay) {
    Fresh<Kiv::KodrinBumpMaterialPlugin> bump;
    Fresh<Kiv::KodrinBumpGlossMaterialPlugin> gloss;
    Fresh<Kiv::KodrinBumpEnvMaterialPlugin> env;
    Fresh<Kiv::KodrinGlossRustMaterialPlugin> rust;
    Fresh<Kiv::KodrinMultiPFXMaterialPlugin> pfx;
    Fresh<Kiv::KodrinOneTexNoAlphaMaterialPlugin> noAlpha;
    Fresh<Kiv::KodrinNoFogMaterialPlugin> noFog;
    const struct {
        Kiv::MaterialPlugin* plugin;
        int missingCapability;  // 0: none
        int stages;
        bool supported;
        const char* replacement;
    } cases[] = {
        {bump.plugin, 0, 4, true, "untouched"},
        {bump.plugin, 17, 4, false, "m.onetex"},
        {bump.plugin, 21, 4, false, "m.onetex"},
        {gloss.plugin, 17, 4, false, "tglossrust"},
        {gloss.plugin, 21, 4, false, "tglossrust"},
        {env.plugin, 17, 4, false, "tonetexnoalpha"},
        {env.plugin, 0, 4, true, "untouched"},
        {rust.plugin, 1, 4, false, "m.onetex"},
        {rust.plugin, 17, 4, true, "untouched"},
        {pfx.plugin, 0, 1, false, "m.onetex"},
        {pfx.plugin, 0, 2, true, "untouched"},
        {noAlpha.plugin, 1, 1, true, "untouched"},
        {noFog.plugin, 21, 1, true, "untouched"},
    };
    for (const auto& c : cases) {
        Kiv::Display display;
        if (c.missingCapability) display.SetCapability(c.missingCapability, false);
        display.SetNumTextureStages(c.stages);
        Kiv::PString replacement("untouched");
        EXPECT_EQ(c.plugin->IsSupported(&display, replacement), c.supported)
            << c.plugin->GetName().View() << " " << c.missingCapability;
        EXPECT_EQ(replacement.View(), c.replacement) << c.plugin->GetName().View();
    }
}

Lines CacheIds(Kiv::RenderKernel& kernel) {
    Lines ids;
    for (Kiv::RenderingCache* cache : kernel.GetRenderingCacheManager().GetCaches()) {
        ids.push_back(cache->GetCacheId());
    }
    return ids;
}

TEST_F(MaterialsTest, CachesAreFoundOrAddedInEachPluginsOrder) {
    {
        Kiv::RenderKernel kernel(nullptr, 8);
        Fresh<Kiv::KodrinBumpMaterialPlugin> bump;
        Fresh<Kiv::KodrinBumpEnvMaterialPlugin> env;
        Kiv::Material* first = bump->CreateMaterial(kernel.GetMaterialManager(), &kernel);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(CacheIds(kernel), (Lines{"AlphaBlendCache", "AlphaMaskCache", "MaterialChunkCache"}));
        Kiv::Material* second = env->CreateMaterial(kernel.GetMaterialManager(), &kernel);
        EXPECT_EQ(CacheIds(kernel).size(), 3u);  // shared, not added again
        EXPECT_EQ(env->GetBlendCache(), bump->GetBlendCache());
        EXPECT_EQ(env->GetChunkCache(), bump->GetChunkCache());
        first->ReleaseReference();
        second->ReleaseReference();
    }
    Kiv::RenderKernel kernel(nullptr, 8);
    Fresh<Kiv::KodrinMultiPFXMaterialPlugin> pfx;
    Kiv::Material* material = pfx->CreateMaterial(kernel.GetMaterialManager(), &kernel);
    EXPECT_EQ(CacheIds(kernel), (Lines{"MaterialChunkCache", "AlphaMaskCache", "AlphaBlendCache"}));
    material->ReleaseReference();
}

TEST_F(MaterialsTest, BumpProgramsAreMadeOnceAndShared) {
    Fresh<Kiv::KodrinBumpMaterialPlugin> bump;
    auto* first = dynamic_cast<Kiv::KodrinBumpMaterial*>(
        bump->CreateMaterial(kernel_.GetMaterialManager(), &kernel_));
    auto* second = dynamic_cast<Kiv::KodrinBumpMaterial*>(
        bump->CreateMaterial(kernel_.GetMaterialManager(), &kernel_));
    ASSERT_TRUE(first && second);
    const Kiv::BumpPrograms& programs = first->GetPrograms();
    EXPECT_EQ(programs.parallelVertex->GetName(), "KodrinBump_ParallelLight");
    EXPECT_EQ(programs.spotVertex->GetName(), "KodrinBump_SpotLight");
    EXPECT_EQ(programs.parallelCombiner->GetName(), "KodrinBumpMat_ParallelLight");
    EXPECT_EQ(programs.spotCombiner->GetName(), "KodrinBumpMat_ParallelLight");
    EXPECT_EQ(second->GetPrograms().parallelVertex, programs.parallelVertex);
    EXPECT_EQ(second->GetPrograms().spotCombiner, programs.spotCombiner);
    EXPECT_EQ(first->GetPlugin(), bump.plugin);

    Fresh<Kiv::KodrinBumpGlossMaterialPlugin> gloss;
    auto* glossy = dynamic_cast<Kiv::KodrinBumpGlossMaterial*>(
        gloss->CreateMaterial(kernel_.GetMaterialManager(), &kernel_));
    ASSERT_NE(glossy, nullptr);
    EXPECT_EQ(glossy->GetPrograms().spotCombiner->GetName(), "KodrinBumpGlossMat_SpotLight");
    EXPECT_EQ(glossy->GetRustPrograms().parallelVertex->GetName(), "KodrinBump_ParallelLight");
    EXPECT_EQ(glossy->GetRustPrograms().spotVertex->GetName(), "KodrinBump_SpotLight");
    EXPECT_EQ(glossy->GetRustPrograms().parallelCombiner->GetName(), "KodrinBumpRustMat_ParallelLight");
    EXPECT_EQ(glossy->GetRustPrograms().spotCombiner->GetName(), "KodrinBumpRustMat_ParallelLight");
    for (Kiv::Material* material : {static_cast<Kiv::Material*>(first),
                                    static_cast<Kiv::Material*>(second),
                                    static_cast<Kiv::Material*>(glossy)}) {
        material->ReleaseReference();
    }
}

TEST_F(MaterialsTest, ProgramRequestsInOrderWithTheirArguments) {
    const struct {
        Kiv::MaterialPlugin* plugin;
        Lines requests;
    } cases[] = {
        {new Kiv::KodrinBumpMaterialPlugin,
         {"RequestVertexProgram KodrinBump_ParallelLight KodrinBumpMaterial_Vtx 99 0 0 0",
          "RequestVertexProgram KodrinBump_SpotLight KodrinBumpMaterial_Vtx 99 0 0 0",
          "RequestCombiner KodrinBumpMat_ParallelLight 0", "RequestCombiner KodrinBumpMat_ParallelLight 0"}},
        {new Kiv::KodrinBumpGlossMaterialPlugin,
         {"RequestVertexProgram KodrinBumpGloss_ParallelLight KodrinBumpMaterial_Vtx 99 0 0 0",
          "RequestVertexProgram KodrinBumpGloss_SpotLight KodrinBumpMaterial_Vtx 99 0 0 0",
          "RequestCombiner KodrinBumpGlossMat_ParallelLight 0", "RequestCombiner KodrinBumpGlossMat_SpotLight 0",
          "RequestVertexProgram KodrinBump_ParallelLight KodrinBumpMaterial_Vtx 99 0 0 0",
          "RequestVertexProgram KodrinBump_SpotLight KodrinBumpMaterial_Vtx 99 0 0 0",
          "RequestCombiner KodrinBumpRustMat_ParallelLight 0", "RequestCombiner KodrinBumpRustMat_ParallelLight 0"}},
        {new Kiv::KodrinBumpEnvMaterialPlugin,
         {"RequestVertexProgram KodrinBumpEnv_ParallelLight KodrinBumpMaterial_Vtx 99 0 0 0",
          "RequestVertexProgram KodrinBumpEnv_SpotLight KodrinBumpMaterial_Vtx 99 0 0 0",
          "RequestCombiner KodrinBumpEnvMat_ParallelLight 0", "RequestCombiner KodrinBumpEnvMat_SpotLight 0"}},
    };
    for (const auto& c : cases) {
        Record();
        Kiv::Material* material = c.plugin->CreateMaterial(kernel_.GetMaterialManager(), &kernel_);
        ASSERT_NE(material, nullptr) << c.plugin->GetName().View();
        EXPECT_EQ(LogOf("Request"), c.requests) << c.plugin->GetName().View();
        Record();
        Kiv::Material* again = c.plugin->CreateMaterial(kernel_.GetMaterialManager(), &kernel_);
        EXPECT_TRUE(LogOf("Request").empty()) << c.plugin->GetName().View();  // made once
        material->ReleaseReference();
        again->ReleaseReference();
        c.plugin->ReleaseReference();
    }
}

TEST_F(MaterialsTest, AFailedProgramRequestLeavesNoProgramsAndTriesAgain) {
    Fresh<Kiv::KodrinBumpMaterialPlugin> bump;
    EXPECT_EQ(bump->CreateMaterial(kernel_.GetMaterialManager(), nullptr), nullptr);
    const Kiv::PString vertexFile(Kiv::kBumpVertexFileName);
    const Kiv::PString pixel("KodrinBumpMat_ParallelLight");
    const int vertexTexts = Kiv::VertexProgramManager::GetRegistrationCount(vertexFile);
    const int pixelTexts = Kiv::TextureCombinerManager::GetRegistrationCount(pixel);
    display_->SetProgramManagersPresent(false);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        EXPECT_EQ(bump->CreateMaterial(kernel_.GetMaterialManager(), &kernel_), nullptr);
        EXPECT_EQ(Kiv::VertexProgramManager::GetRegistrationCount(vertexFile), vertexTexts + attempt);
        EXPECT_EQ(Kiv::TextureCombinerManager::GetRegistrationCount(pixel), pixelTexts + attempt);
        EXPECT_EQ(bump->GetPrograms().parallelVertex, nullptr);
        EXPECT_NE(bump->GetBlendCache(), nullptr);  // the caches stay
    }
    display_->SetProgramManagersPresent(true);
    Kiv::Material* material = bump->CreateMaterial(kernel_.GetMaterialManager(), &kernel_);
    ASSERT_NE(material, nullptr);
    EXPECT_NE(bump->GetPrograms().parallelVertex, nullptr);
    material->ReleaseReference();
}

TEST_F(MaterialsTest, GlossRustStageProgramsAreAllOrNone) {
    Fresh<Kiv::KodrinGlossRustMaterialPlugin> rust;
    rust->CreatePluginResources(&kernel_);  // the base's own program first
    const int live = Kiv::Display::GetLiveStageProgramCount();
    display_->FailStageProgramCreation(3);
    EXPECT_EQ(rust->CreateMaterial(kernel_.GetMaterialManager(), &kernel_), nullptr);
    EXPECT_EQ(rust->GetStageProgramCount(), 0);
    EXPECT_EQ(Kiv::Display::GetLiveStageProgramCount(), live);

    Kiv::Material* material = rust->CreateMaterial(kernel_.GetMaterialManager(), &kernel_);
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(rust->GetStageProgramCount(), 4);
    EXPECT_EQ(Kiv::Display::GetLiveStageProgramCount(), live + 4);
    auto* reflective = dynamic_cast<Kiv::ReflectiveMaterial*>(material);
    ASSERT_NE(reflective, nullptr);
    const struct {
        int stage, color, alpha;
    } programs[] = {{0, 1, 2}, {1, 3, 4}, {0, 1, 5}, {1, 6, 4}};
    for (int i = 0; i < 4; ++i) {
        const Kiv::TextureStageProgram* program = reflective->GetStageProgramAt(i);
        ASSERT_NE(program, nullptr);
        EXPECT_EQ(program->GetStage(), programs[i].stage) << i;
        EXPECT_EQ(program->GetColorArgs(), Kiv::StageSetting(programs[i].color)) << i;
        EXPECT_EQ(program->GetAlphaArgs(), Kiv::StageSetting(programs[i].alpha)) << i;
    }
    Kiv::Material* again = rust->CreateMaterial(kernel_.GetMaterialManager(), &kernel_);
    EXPECT_EQ(Kiv::Display::GetLiveStageProgramCount(), live + 4);  // made once
    material->ReleaseReference();
    again->ReleaseReference();
}

TEST_F(MaterialsTest, TheStageSettings) {
    using Args = std::array<Kiv::TexArg, 4>;
    const struct {
        int n;
        int value;
        uint32_t count;
        int mode;
        int function;
        Args args;
    } settings[] = {
        {1, 0, 2, 0, 1, {{{0, 0, 0}, {0, 0, 2}, {0, 3, 3}, {0, 3, 3}}}},
        {2, 0, 1, 1, 0, {{{0, 1, 0}, {0, 3, 3}, {0, 3, 3}, {0, 3, 3}}}},
        {3, 1, 1, 0, 7, {{{0, 0, 2}, {0, 0, 0}, {0, 0, 3}, {0, 3, 3}}}},
        {4, 1, 1, 1, 0, {{{0, 1, 1}, {0, 3, 3}, {0, 3, 3}, {0, 3, 3}}}},
        {5, 0, 1, 1, 1, {{{1, 1, 2}, {0, 1, 3}, {0, 3, 3}, {0, 3, 3}}}},
        {6, 1, 1, 0, 7, {{{0, 0, 3}, {0, 0, 0}, {0, 1, 0}, {0, 3, 3}}}},
        {7, 0, 2, 0, 1, {{{0, 0, 2}, {0, 0, 0}, {0, 3, 3}, {0, 3, 3}}}},
        {8, 0, 1, 1, 1, {{{0, 1, 2}, {0, 1, 0}, {0, 3, 3}, {0, 3, 3}}}},
        {9, 1, 1, 0, 0, {{{0, 0, 0}, {0, 3, 3}, {0, 3, 3}, {0, 3, 3}}}},
        {10, 1, 1, 1, 1, {{{0, 1, 0}, {0, 1, 2}, {0, 3, 3}, {0, 3, 3}}}},
    };
    for (const auto& s : settings) {
        EXPECT_EQ(Kiv::StageSetting(s.n), Kiv::TextureArgs(s.value, s.count, s.mode, s.function, s.args))
            << "S" << s.n;
    }
}

// The multi-PFX plug-in makes a new pair on every material and lets the old pair go; when
// the new pair fails, the old one stays.
TEST_F(MaterialsTest, MultiPFXRenewsItsPairWithoutLosingTheOld) {
    Fresh<Kiv::KodrinMultiPFXMaterialPlugin> pfx;
    const int live = Kiv::Display::GetLiveStageProgramCount();
    Kiv::Material* first = pfx->CreateMaterial(kernel_.GetMaterialManager(), &kernel_);
    ASSERT_NE(first, nullptr);
    Kiv::TextureStageProgram* const oldPair[2] = {pfx->GetStagePrograms()[0], pfx->GetStagePrograms()[1]};
    EXPECT_EQ(oldPair[0]->GetStage(), 0);
    EXPECT_EQ(oldPair[1]->GetStage(), 1);
    EXPECT_EQ(oldPair[1]->GetAlphaArgs(), Kiv::StageSetting(10));
    Kiv::Material* second = pfx->CreateMaterial(kernel_.GetMaterialManager(), &kernel_);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Kiv::Display::GetLiveStageProgramCount(), live + 2);
    Kiv::TextureStageProgram* const pair[2] = {pfx->GetStagePrograms()[0], pfx->GetStagePrograms()[1]};

    for (int failing : {1, 2}) {
        display_->FailStageProgramCreation(failing);
        EXPECT_EQ(pfx->CreateMaterial(kernel_.GetMaterialManager(), &kernel_), nullptr);
        EXPECT_EQ(pfx->GetStagePrograms()[0], pair[0]);
        EXPECT_EQ(pfx->GetStagePrograms()[1], pair[1]);
        EXPECT_EQ(Kiv::Display::GetLiveStageProgramCount(), live + 2);
    }
    Record();
    first->SetDisplayState(*display_);  // reads the plug-in's current pair
    EXPECT_EQ(LogOf("ApplyStageProgram"), (Lines{"ApplyStageProgram 0", "ApplyStageProgram 1"}));

    Kiv::Material* unkerneled = pfx->CreateMaterial(kernel_.GetMaterialManager(), nullptr);
    EXPECT_NE(unkerneled, nullptr);
    EXPECT_EQ(pfx->GetStagePrograms()[0], pair[0]);
    for (Kiv::Material* material : {first, second, unkerneled}) material->ReleaseReference();
}

TEST_F(MaterialsTest, TheRegistrationList) {
    const struct {
        const char* name;
        const char* uid;
    } rows[] = {
        {"tbumpgloss", "F7478888-C721-48AB-B3C0-19621E66554E"},
        {"tbumptex", "E34011F3-C721-48ba-B3C0-19621E408CBD"},
        {"tbumpenv", "0ECEE41C-76E7-47fd-ADBB-0E938E809C03"},
        {"tonetexnoalpha", "4BB6C98F-6FDF-4cb9-9CE2-7E40B2A78626"},
        {"tglossrust", "AFCA4E1B-811A-56EE-89E4-CAB13F9B6712"},
        {"tmpfx", "643AFE90-426A-46EE-C19F-FFA0A471ABD7"},
        {"nofogtex", "AB84944B-00A6-4a18-8BAF-4664E98075AA"},
    };
    for (const auto& row : rows) {
        Kiv::MaterialPlugin* plugin = Kiv::MaterialPlugin::Find(Kiv::PString(row.name));
        ASSERT_NE(plugin, nullptr) << row.name;
        EXPECT_EQ(plugin->GetTypeUId(), *Kiv::UId::Parse(row.uid)) << row.name;
        KivGetPlugins();  // a later call changes nothing
        Kiv::MaterialPlugin* again = Kiv::MaterialPlugin::Find(Kiv::PString(row.name));
        EXPECT_EQ(again, plugin) << row.name;
        plugin->ReleaseReference();
        again->ReleaseReference();
    }
}

}  // namespace
