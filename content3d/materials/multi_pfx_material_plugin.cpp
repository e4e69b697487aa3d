// The multi-PFX plug-in.
#include "content3d/materials/multi_pfx_material_plugin.h"

#include "content3d/materials/multi_pfx_material.h"
#include "content3d/materials/stage_program_settings.h"
#include "engine/display.h"
#include "engine/render_kernel.h"

namespace Kiv {

namespace {

void ReleaseCache(RenderingCache*& cache) {
    if (cache) cache->ReleaseReference();
    cache = nullptr;
}

}  // namespace

KodrinMultiPFXMaterialPlugin::~KodrinMultiPFXMaterialPlugin() {
    ReleaseCache(chunkCache_);
    ReleaseCache(maskCache_);
    ReleaseCache(blendCache_);
    for (TextureStageProgram*& program : stagePrograms_) {
        Display::DestroyTextureStageProgram(program);
        program = nullptr;
    }
}

bool KodrinMultiPFXMaterialPlugin::IsSupported(Display* display, PString& replacement) {
    if (display && display->GetNumTextureStages() >= kNeededStages) return true;
    replacement = PString(OneTextureMaterial::UNDECORATED_TYPE);
    return false;
}

bool KodrinMultiPFXMaterialPlugin::RenewStagePrograms(Display& display) {
    TextureStageProgram* first = MakeStageProgram(display, kMultiPFXStages[0]);
    if (!first) return false;
    TextureStageProgram* second = MakeStageProgram(display, kMultiPFXStages[1]);
    if (!second) {
        Display::DestroyTextureStageProgram(first);
        return false;
    }
    Display::DestroyTextureStageProgram(stagePrograms_[0]);
    Display::DestroyTextureStageProgram(stagePrograms_[1]);
    stagePrograms_[0] = first;
    stagePrograms_[1] = second;
    return true;
}

Material* KodrinMultiPFXMaterialPlugin::CreateMaterial(MaterialManager* manager,
                                                       RenderKernel* kernel) {
    if (kernel) {
        FindOrAddCache<MaterialChunkCache>(kernel, MaterialChunkCache::MaterialChunkCacheID,
                                           chunkCache_);
        FindOrAddCache<AlphaMaskCache>(kernel, AlphaMaskCache::AlphaMaskCacheID, maskCache_);
        FindOrAddCache<AlphaBlendCache>(kernel, AlphaBlendCache::AlphaBlendCacheID, blendCache_);
        if (!RenewStagePrograms(*kernel->GetDisplay())) return nullptr;
    }
    auto* material = new KodrinMultiPFXMaterial(manager, chunkCache_, maskCache_, blendCache_,
                                                stagePrograms_);
    material->Assign(this);
    return material;
}

}  // namespace Kiv
