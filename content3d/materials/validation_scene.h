// The scene in which validation loads meshes, and the render objects registered once for
// it. ValidationScene is the data manager's scene part: from the start-up record it keeps
// the engine objects, makes the root particle (added to the kernel's scene graph as a
// scene) and, with a camera, a parallel light with fog, and it sets currentRenderKernel,
// the kernel that mesh loading hands to mesh resources. RegisterKodrinBumpVertexType adds
// the alpha-blend caches to that kernel, requests the fourteen dummy materials and makes
// four chunks; ReleaseKodrinBumpVertexType lets them all go and allows a new registration.
#pragma once

#include <cstdint>

#include "engine/scene.h"

namespace Kiv {
class GeometryChunk;
class Material;
class OS;
class ParallelLight;
class RenderingCache;
class RenderKernel;
class ResourceSystem;
}  // namespace Kiv

// The start-up record as the scene reads it; start-up fills the resource system, the
// render kernel and the OS object, the rest stays empty.
struct SceneStartupRecord {
    Kiv::ResourceSystem* resourceSystem = nullptr;
    Kiv::RenderKernel* renderKernel = nullptr;
    void* third = nullptr;
    uintptr_t unused = 0;
    Kiv::OS* os = nullptr;
    Kiv::Camera* camera = nullptr;
};

// The kernel that mesh loading hands to mesh resources; set by ValidationScene::Init and
// cleared when that scene goes.
extern Kiv::RenderKernel* currentRenderKernel;

class ValidationScene {
public:
    ValidationScene() = default;
    // Unlinks the root particle and deletes it and the light; currentRenderKernel no
    // longer names this scene's kernel.
    ~ValidationScene();
    ValidationScene(const ValidationScene&) = delete;
    ValidationScene& operator=(const ValidationScene&) = delete;

    // Always true.
    bool Init(const SceneStartupRecord& record);

    Kiv::ResourceSystem* GetResourceSystem() const { return resourceSystem_; }
    Kiv::RenderKernel* GetRenderKernel() const { return renderKernel_; }
    Kiv::OS* GetOS() const { return os_; }
    Kiv::Particle* GetRootParticle() const { return root_; }
    Kiv::ParallelLight* GetLight() const { return light_; }
    Kiv::Camera* GetCamera() const { return camera_; }

private:
    Kiv::ResourceSystem* resourceSystem_ = nullptr;
    Kiv::RenderKernel* renderKernel_ = nullptr;
    void* third_ = nullptr;
    Kiv::OS* os_ = nullptr;
    Kiv::Particle* root_ = nullptr;
    Kiv::ParallelLight* light_ = nullptr;
    Kiv::Camera* camera_ = nullptr;
};

// What the registration holds, for shut-down and for tests.
struct BumpVertexTypeRegistration {
    static constexpr int kDummyCount = 14;
    static constexpr int kChunkCount = 4;
    static constexpr int kCacheCount = 3;

    bool registered = false;
    Kiv::RenderingCache* caches[kCacheCount] = {};
    Kiv::Material* dummyMaterials[kDummyCount] = {};
    Kiv::GeometryChunk* dummyChunks[kChunkCount] = {};
    int dummyChunkCount = 0;
};

// The dummy material types in load order.
extern const char* const kDummyMaterialTypes[BumpVertexTypeRegistration::kDummyCount];

// Once per process (until released): caches, dummy materials and chunks on kernel.
void RegisterKodrinBumpVertexType(Kiv::RenderKernel* kernel);
void ReleaseKodrinBumpVertexType();
const BumpVertexTypeRegistration& GetBumpVertexTypeRegistration();
