// The gloss-rust, one-texture-no-alpha and no-fog plug-ins.
#include "content3d/materials/one_texture_kind_plugins.h"

#include "content3d/materials/gloss_rust_material.h"
#include "content3d/materials/ground_materials.h"
#include "content3d/materials/no_fog_material.h"
#include "content3d/materials/stage_program_settings.h"
#include "engine/display.h"
#include "engine/render_kernel.h"

namespace Kiv {

namespace {

constexpr int kCapabilityReflection = 1;

}  // namespace

KodrinGlossRustMaterialPlugin::~KodrinGlossRustMaterialPlugin() {
    DestroyStagePrograms();
}

void KodrinGlossRustMaterialPlugin::DestroyStagePrograms() {
    for (int i = 0; i < stageProgramCount_; ++i) {
        Display::DestroyTextureStageProgram(stagePrograms_[i]);
        stagePrograms_[i] = nullptr;
    }
    stageProgramCount_ = 0;
}

bool KodrinGlossRustMaterialPlugin::IsSupported(Display* display, PString& replacement) {
    if (display && display->HasCapability(kCapabilityReflection)) return true;
    replacement = PString(OneTextureMaterial::UNDECORATED_TYPE);
    return false;
}

bool KodrinGlossRustMaterialPlugin::CreateStagePrograms(RenderKernel* kernel) {
    CreatePluginResources(kernel);
    if (!kernel || !kernel->GetDisplay()) return false;
    if (stageProgramCount_ == kPrograms) return true;
    for (const StageProgramRecipe& recipe : kGlossRustStages) {
        TextureStageProgram* program = MakeStageProgram(*kernel->GetDisplay(), recipe);
        if (!program) {
            DestroyStagePrograms();
            return false;
        }
        stagePrograms_[stageProgramCount_++] = program;
    }
    return true;
}

Material* KodrinGlossRustMaterialPlugin::CreateMaterial(MaterialManager* manager,
                                                        RenderKernel* kernel) {
    if (!CreateStagePrograms(kernel)) return nullptr;
    auto* material = new KodrinGlossRustMaterial(manager, GetChunkCache(), GetBlendCache(),
                                                 stageProgramCount_, stagePrograms_);
    material->Assign(this);
    return material;
}

KodrinOneTexNoAlphaMaterialPlugin::~KodrinOneTexNoAlphaMaterialPlugin() {
    Display::DestroyTextureStageProgram(stageProgram_);
}

void KodrinOneTexNoAlphaMaterialPlugin::CreateStagePrograms(RenderKernel* kernel) {
    CreatePluginResources(kernel);
    if (kernel && !stageProgram_) stageProgram_ = MakeStageProgram(*kernel->GetDisplay(), kNoAlphaStage);
}

Material* KodrinOneTexNoAlphaMaterialPlugin::CreateMaterial(MaterialManager* manager,
                                                            RenderKernel* kernel) {
    CreateStagePrograms(kernel);
    auto* material = new KodrinOneTexNoAlphaMaterial(manager, GetChunkCache(), GetBlendCache(),
                                                     stageProgram_);
    material->Assign(this);
    return material;
}

Material* KodrinNoFogMaterialPlugin::CreateMaterial(MaterialManager* manager,
                                                    RenderKernel* kernel) {
    CreatePluginResources(kernel);
    auto* material =
        new KodrinNoFogMaterial(manager, GetChunkCache(), GetMaskCache(), GetBlendCache());
    material->SetStageProgram(GetBaseStageProgram());
    material->Assign(this);
    return material;
}

}  // namespace Kiv
