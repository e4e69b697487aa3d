// Material plug-ins: lookup, caches shared through the render kernel, the one-texture
// plug-in.
#include "engine/material_plugin.h"

#include "engine/display.h"
#include "engine/material.h"
#include "engine/render_kernel.h"
#include "engine/texture_stage_program.h"

namespace Kiv {

namespace {

// The engine's one-texture stage: texture times diffuse, alpha from the texture.
const TextureArgs kBaseColorArgs(0, 2, 0, 1, {{{0, 0, 0}, {0, 0, 2}, {0, 3, 3}, {0, 3, 3}}});
const TextureArgs kBaseAlphaArgs(0, 1, 1, 0, {{{0, 1, 0}, {0, 3, 3}, {0, 3, 3}, {0, 3, 3}}});

void ReleaseCache(RenderingCache*& cache) {
    if (cache) cache->ReleaseReference();
    cache = nullptr;
}

}  // namespace

MaterialPlugin* MaterialPlugin::Find(const PString& name) {
    PluginBase* plugin = LookupPluginType(kMaterialFamilyUId, name);
    auto* material = dynamic_cast<MaterialPlugin*>(plugin);
    if (!material && plugin) plugin->ReleaseReference();
    return material;
}

void FindOrAddCache(RenderKernel* kernel, const char* id, RenderingCache* (*make)(),
                    RenderingCache*& slot) {
    if (slot || !kernel) return;
    slot = kernel->GetRenderingCacheManager().FindCache(id);
    if (slot) return;
    slot = make();
    kernel->GetRenderingCacheManager().AddCache(slot);
}

OneTextureMaterialPlugin::~OneTextureMaterialPlugin() {
    ReleaseCache(chunkCache_);
    ReleaseCache(maskCache_);
    ReleaseCache(blendCache_);
    Display::DestroyTextureStageProgram(stageProgram_);
}

void OneTextureMaterialPlugin::CreatePluginResources(RenderKernel* kernel) {
    if (!kernel) return;
    FindOrAddCache<MaterialChunkCache>(kernel, MaterialChunkCache::MaterialChunkCacheID,
                                       chunkCache_);
    FindOrAddCache<AlphaMaskCache>(kernel, AlphaMaskCache::AlphaMaskCacheID, maskCache_);
    FindOrAddCache<AlphaBlendCache>(kernel, AlphaBlendCache::AlphaBlendCacheID, blendCache_);
    if (!stageProgram_) {
        stageProgram_ = kernel->GetDisplay()->CreateTextureStageProgram(0, kBaseColorArgs,
                                                                        kBaseAlphaArgs);
    }
}

Material* OneTextureMaterialPlugin::CreateMaterial(MaterialManager* manager,
                                                   RenderKernel* kernel) {
    CreatePluginResources(kernel);
    auto* material = new OneTextureMaterial(manager, chunkCache_, maskCache_, blendCache_);
    material->SetStageProgram(stageProgram_);
    material->Assign(this);
    return material;
}

}  // namespace Kiv
