// The bump family's plug-ins: support, caches, programs and the materials they make.
#include "content3d/materials/bump_material_plugins.h"

#include "content3d/materials/bump_program_texts.h"
#include "engine/display.h"
#include "engine/render_kernel.h"
#include "engine/texture_combiner.h"
#include "engine/vertex_program.h"

namespace Kiv {

namespace {

constexpr int kCapabilityPixelPrograms = 21;
constexpr int kCapabilityVertexPrograms = 17;

constexpr BumpProgramNames kBumpNames{"KodrinBump_ParallelLight", "KodrinBump_SpotLight",
                                      "KodrinBumpMat_ParallelLight", "KodrinBumpMat_ParallelLight"};
constexpr BumpProgramNames kGlossNames{"KodrinBumpGloss_ParallelLight", "KodrinBumpGloss_SpotLight",
                                       "KodrinBumpGlossMat_ParallelLight",
                                       "KodrinBumpGlossMat_SpotLight"};
constexpr BumpProgramNames kRustNames{"KodrinBump_ParallelLight", "KodrinBump_SpotLight",
                                      "KodrinBumpRustMat_ParallelLight",
                                      "KodrinBumpRustMat_ParallelLight"};
constexpr BumpProgramNames kEnvNames{"KodrinBumpEnv_ParallelLight", "KodrinBumpEnv_SpotLight",
                                     "KodrinBumpEnvMat_ParallelLight", "KodrinBumpEnvMat_SpotLight"};

constexpr const char* kBumpTexts[] = {"KodrinBumpMat_ParallelLight", nullptr};
constexpr const char* kGlossTexts[] = {"KodrinBumpGlossMat_ParallelLight",
                                       "KodrinBumpGlossMat_SpotLight",
                                       "KodrinBumpRustMat_ParallelLight", nullptr};
constexpr const char* kEnvTexts[] = {"KodrinBumpEnvMat_ParallelLight", "KodrinBumpEnvMat_SpotLight",
                                     nullptr};

bool Complete(const BumpPrograms& programs) {
    return programs.parallelVertex && programs.spotVertex && programs.parallelCombiner &&
           programs.spotCombiner;
}

void ReleaseCache(RenderingCache*& cache) {
    if (cache) cache->ReleaseReference();
    cache = nullptr;
}

}  // namespace

KodrinBumpFamilyPlugin::KodrinBumpFamilyPlugin(const char* name, const UId& typeUId,
                                               const char* replacement,
                                               const BumpProgramNames& names,
                                               const BumpProgramNames* rust,
                                               const char* const* pixelTexts)
    : MaterialPlugin(PString(name), typeUId), replacement_(replacement), names_(names),
      rustNames_(rust), pixelTexts_(pixelTexts) {}

KodrinBumpFamilyPlugin::~KodrinBumpFamilyPlugin() {
    ReleaseCache(blendCache_);
    ReleaseCache(chunkCache_);
    ReleaseCache(maskCache_);
    ReleaseAllPrograms();
}

bool KodrinBumpFamilyPlugin::IsSupported(Display* display, PString& replacement) {
    if (display && display->HasCapability(kCapabilityPixelPrograms) &&
        display->HasCapability(kCapabilityVertexPrograms)) {
        return true;
    }
    replacement = PString(replacement_);
    return false;
}

Material* KodrinBumpFamilyPlugin::CreateMaterial(MaterialManager* manager, RenderKernel* kernel) {
    if (!kernel) return nullptr;
    FindOrAddCache<AlphaBlendCache>(kernel, AlphaBlendCache::AlphaBlendCacheID, blendCache_);
    FindOrAddCache<AlphaMaskCache>(kernel, AlphaMaskCache::AlphaMaskCacheID, maskCache_);
    FindOrAddCache<MaterialChunkCache>(kernel, MaterialChunkCache::MaterialChunkCacheID,
                                       chunkCache_);
    if (!CreatePrograms(kernel)) {
        ReleaseAllPrograms();
        return nullptr;
    }
    Material* material = MakeMaterial(manager);
    material->Assign(this);
    return material;
}

bool KodrinBumpFamilyPlugin::CreatePrograms(RenderKernel* kernel) {
    if (Complete(programs_) && (!rustNames_ || Complete(rustPrograms_))) return true;
    Display* display = kernel->GetDisplay();
    if (!display) return false;
    VertexProgramManager::RegisterBuiltInPrograms(PString(kBumpVertexFileName),
                                                  BumpVertexProgramText());
    for (const char* const* text = pixelTexts_; *text; ++text) {
        TextureCombinerManager::RegisterBuiltInPrograms(PString(*text),
                                                        BumpPixelProgramText(*text).c_str());
    }
    if (!display->GetVertexProgramManager() || !display->GetTextureCombinerManager()) return false;
    if (!RequestPrograms(*display, names_, programs_)) return false;
    return !rustNames_ || RequestPrograms(*display, *rustNames_, rustPrograms_);
}

bool KodrinBumpFamilyPlugin::RequestPrograms(Display& display, const BumpProgramNames& names,
                                             BumpPrograms& out) {
    VertexProgramManager& vertex = *display.GetVertexProgramManager();
    TextureCombinerManager& pixel = *display.GetTextureCombinerManager();
    const PString file(kBumpVertexFileName);
    return vertex.RequestProgram(&display, &out.parallelVertex, kVertexProgramPriority, 0,
                                 PString(names.parallelVertex), file, 0, 0) == 0 &&
           vertex.RequestProgram(&display, &out.spotVertex, kVertexProgramPriority, 0,
                                 PString(names.spotVertex), file, 0, 0) == 0 &&
           pixel.RequestProgram(&display, &out.parallelCombiner, PString(names.parallelPixel), 0) == 0 &&
           pixel.RequestProgram(&display, &out.spotCombiner, PString(names.spotPixel), 0) == 0;
}

void KodrinBumpFamilyPlugin::ReleaseAllPrograms() {
    ReleasePrograms(programs_);
    ReleasePrograms(rustPrograms_);
}

KodrinBumpMaterialPlugin::KodrinBumpMaterialPlugin()
    : KodrinBumpFamilyPlugin(kName, kTypeUId, OneTextureMaterial::UNDECORATED_TYPE, kBumpNames,
                             nullptr, kBumpTexts) {}

Material* KodrinBumpMaterialPlugin::MakeMaterial(MaterialManager* manager) {
    return new KodrinBumpMaterial(manager, GetChunkCache(), GetMaskCache(), GetBlendCache(),
                                  GetPrograms());
}

KodrinBumpGlossMaterialPlugin::KodrinBumpGlossMaterialPlugin()
    : KodrinBumpFamilyPlugin(kName, kTypeUId, "tglossrust", kGlossNames, &kRustNames,
                             kGlossTexts) {}

Material* KodrinBumpGlossMaterialPlugin::MakeMaterial(MaterialManager* manager) {
    return new KodrinBumpGlossMaterial(manager, GetChunkCache(), GetMaskCache(), GetBlendCache(),
                                       GetPrograms(), GetRustPrograms());
}

KodrinBumpEnvMaterialPlugin::KodrinBumpEnvMaterialPlugin()
    : KodrinBumpFamilyPlugin(kName, kTypeUId, "tonetexnoalpha", kEnvNames, nullptr, kEnvTexts) {}

Material* KodrinBumpEnvMaterialPlugin::MakeMaterial(MaterialManager* manager) {
    return new KodrinBumpEnvMaterial(manager, GetChunkCache(), GetMaskCache(), GetBlendCache(),
                                     GetPrograms());
}

}  // namespace Kiv
