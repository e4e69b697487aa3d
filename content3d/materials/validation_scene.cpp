// The validation scene and the registration of its shared render objects.
#include "content3d/materials/validation_scene.h"

#include <string>

#include "content3d/materials/kodrin_alpha_blend_cache.h"
#include "engine/material.h"
#include "engine/render_kernel.h"
#include "foundation/console/log_message.h"

Kiv::RenderKernel* currentRenderKernel = nullptr;

const char* const kDummyMaterialTypes[BumpVertexTypeRegistration::kDummyCount] = {
    "m.tbumptex",      "m.tbumpcoltex", "m.tbumpglosscol", "m.tbumpenv",  "m.tgroundonetex",
    "m.tgroundonetexvs", "m.tonetexnoalpha", "m.tbumpgloss", "m.tglossrust", "m.notex",
    "m.onetex",        "m.nofogtex",    "m.gloss",         "m.reflect",
};

namespace {

constexpr float kLightRange = 100000.0f;
constexpr uint32_t kLightParticleFlag = 1u << 1;
constexpr float kFogDensity = 1e-18f;
constexpr int kFogMode = 3;
constexpr const char* kDummyOwner = "KodrinDummyLoad.";
// Failing one of the first nine dummies skips it; from the tenth on it ends the registration.
constexpr int kSkippableDummies = 9;
// Dummies by load position.
constexpr int kNoTex = 9;
constexpr int kOneTex = 10;
constexpr int kGloss = 12;
constexpr int kReflect = 13;
constexpr int kChunkMaterials[] = {kNoTex, kOneTex, kGloss, kReflect};
constexpr int kReflectionIndex = 9;

BumpVertexTypeRegistration& Registration() {
    static BumpVertexTypeRegistration registration;
    return registration;
}

void AddCache(Kiv::RenderKernel& kernel, Kiv::RenderingCache*& slot, Kiv::RenderingCache* cache) {
    slot = cache;
    kernel.GetRenderingCacheManager().AddCache(cache);
}

// False when a dummy of the last five failed.
bool RequestDummies(Kiv::RenderKernel& kernel, BumpVertexTypeRegistration& registration) {
    for (int i = 0; i < BumpVertexTypeRegistration::kDummyCount; ++i) {
        const std::string name = std::string(kDummyOwner) + kDummyMaterialTypes[i];
        Kiv::Material*& material = registration.dummyMaterials[i];
        kernel.GetMaterialManager()->RequestMaterial(Kiv::PString(name.c_str()), &material);
        if (material) continue;
        LogMessage("DataManager::RegisterKodrinBumpVertexType> Unable to load '%s'",
                   kDummyMaterialTypes[i]);
        if (i >= kSkippableDummies) return false;
    }
    return true;
}

Kiv::StandardChunkHint DummyChunkHint() {
    Kiv::StandardChunkHint hint;
    hint.flags = Kiv::ChunkHint::kSkinned;
    hint.weightsPerVertex = 4;
    hint.matricesPerChunk = 24;
    hint.texCoordSets = 1;
    return hint;
}

void MakeDummyChunks(Kiv::RenderKernel& kernel, BumpVertexTypeRegistration& registration) {
    Kiv::Texture* shared = kernel.GetTextureManager()->GetSharedTextures().GetTexture(0);
    if (!shared) {
        LogMessage("DataManager::RegisterKodrinBumpVertexType> SharedTextureCollection failed");
        return;
    }
    registration.dummyMaterials[kGloss]->SetTexture(kReflectionIndex, shared, 1.0f);
    registration.dummyMaterials[kReflect]->SetTexture(kReflectionIndex, shared, 1.0f);
    const Kiv::StandardChunkHint hint = DummyChunkHint();
    for (int which : kChunkMaterials) {
        registration.dummyChunks[registration.dummyChunkCount++] =
            registration.dummyMaterials[which]->CreateGeometryChunk(3, 1, 3, 0, 0, hint);
    }
    shared->ReleaseReference();
}

}  // namespace

ValidationScene::~ValidationScene() {
    if (root_ && renderKernel_ && renderKernel_->GetSceneGraph()) {
        renderKernel_->GetSceneGraph()->RemoveScene(root_);
    }
    if (root_ && currentRenderKernel == renderKernel_) currentRenderKernel = nullptr;
    delete light_;
    delete root_;
}

bool ValidationScene::Init(const SceneStartupRecord& record) {
    os_ = record.os;
    resourceSystem_ = record.resourceSystem;
    renderKernel_ = record.renderKernel;
    root_ = new Kiv::Particle;
    if (renderKernel_ && renderKernel_->GetSceneGraph()) {
        renderKernel_->GetSceneGraph()->AddScene(root_);
    }
    camera_ = record.camera;
    if (camera_) {
        camera_->SetSceneRoot(root_);
        light_ = new Kiv::ParallelLight({0, 0, 0}, camera_->GetOrientation(), kLightRange,
                                        {0, 0, 0, 1}, Kiv::kLightParallel);
        light_->SetFlags(light_->GetFlags() | kLightParticleFlag);
        light_->ambient = {0.1f, 0.1f, 0.1f, 1};
        light_->diffuse = {0.7f, 0.7f, 0.7f, 1};
        light_->specular = {0.6f, 0.6f, 0.6f, 1};
        if (renderKernel_) {
            renderKernel_->GetDisplay()->SetFogDensity(kFogDensity);
            renderKernel_->GetDisplay()->SetFogMode(kFogMode);
        }
        root_->AddChild(light_);
    }
    third_ = record.third;
    currentRenderKernel = renderKernel_;
    return true;
}

void RegisterKodrinBumpVertexType(Kiv::RenderKernel* kernel) {
    BumpVertexTypeRegistration& registration = Registration();
    if (registration.registered || !kernel) return;
    AddCache(*kernel, registration.caches[0], new Kiv::KodrinAlphaBlendCache);
    AddCache(*kernel, registration.caches[1], new Kiv::AlphaBlendCacheUnsorted);
    AddCache(*kernel, registration.caches[2], new Kiv::UnsortedAlphaBlendCache);
    registration.dummyChunkCount = 0;
    registration.registered = true;
    if (!RequestDummies(*kernel, registration)) return;
    MakeDummyChunks(*kernel, registration);
}

void ReleaseKodrinBumpVertexType() {
    BumpVertexTypeRegistration& registration = Registration();
    if (!registration.registered) return;
    registration.registered = false;
    for (int i = 0; i < registration.dummyChunkCount; ++i) {
        if (registration.dummyChunks[i]) registration.dummyChunks[i]->ReleaseReference();
        registration.dummyChunks[i] = nullptr;
    }
    registration.dummyChunkCount = 0;
    for (Kiv::Material*& material : registration.dummyMaterials) {
        if (material) material->ReleaseReference();
        material = nullptr;
    }
    for (Kiv::RenderingCache*& cache : registration.caches) {
        if (cache) cache->ReleaseReference();
        cache = nullptr;
    }
}

const BumpVertexTypeRegistration& GetBumpVertexTypeRegistration() {
    return Registration();
}
