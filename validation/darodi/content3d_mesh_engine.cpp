// The mesh-check engine over content3d's mesh resources (content3d_mesh_engine.h).
#include "validation/darodi/content3d_mesh_engine.h"

#include "content3d/materials/validation_scene.h"
#include "content3d/mesh/indexed_mesh_instance.h"
#include "content3d/mesh/lod_mesh_data.h"
#include "content3d/mesh/lod_mesh_resource.h"
#include "content3d/resource_database.h"
#include "engine/render_kernel.h"
#include "engine/scene.h"
#include "engine/texture.h"
#include "validation/darodi/content3d_mesh_instance.h"
#include "validation/darodi/data_manager.h"

namespace DAROdi {
namespace {

constexpr int32_t kLocked = 0;
constexpr int32_t kLockFailed = 1;

MeshResourceKind KindOf(Kiv::Resource& resource) {
    if (dynamic_cast<Kiv::KodrinProgressiveMeshResource*>(&resource))
        return MeshResourceKind::kProgressive;
    if (dynamic_cast<Kiv::KodrinGeometryBaseResource*>(&resource))
        return MeshResourceKind::kGeometry;
    return MeshResourceKind::kOther;
}

// One reference on a resource of the location database, given back when deleted.
class Content3DMeshResource : public MeshCheckResource {
  public:
    explicit Content3DMeshResource(Kiv::Resource& resource) : resource_(resource) {}
    ~Content3DMeshResource() override { resource_.Release(); }
    Content3DMeshResource(const Content3DMeshResource&) = delete;
    Content3DMeshResource& operator=(const Content3DMeshResource&) = delete;

    MeshResourceKind GetKind() const override { return KindOf(resource_); }

    // A mesh loads for the scene's kernel with the loader settings all off.
    int32_t Lock() override {
        auto* mesh = dynamic_cast<Kiv::KodrinGeometryBaseResource*>(&resource_);
        if (mesh) {
            mesh->SetRenderKernel(currentRenderKernel);
            mesh->GetLoaderSettings() = Kiv::MeshLoaderSettings{};
        }
        return resource_.Lock() ? kLocked : kLockFailed;
    }
    void Unlock() override { resource_.Unlock(); }

    // The engine's instance (a LOD one when lod), below the mesh object being loaded.
    std::unique_ptr<MeshCheckInstance> CreateInstance(bool lod) override {
        auto* mesh = dynamic_cast<Kiv::KodrinGeometryBaseResource*>(&resource_);
        if (!mesh || !mesh->GetDefinition()) return nullptr;
        if (lod && !dynamic_cast<Kiv::KodrinIndexedMeshLODResource*>(mesh)) return nullptr;
        Kiv::KodrinIndexedMeshInstance* instance = mesh->CreateMeshInstance();
        if (!instance) return nullptr;
        return std::make_unique<Content3DMeshInstance>(
            *mesh, *instance, GetContent3DMeshEngine().TakeLoadingParticle());
    }

  private:
    Kiv::Resource& resource_;
};

// The mesh objects of checked meshes.
class MeshParticle : public Kiv::MeshData, public MeshStepsHolder {
  public:
    using MeshStepsHolder::MeshStepsHolder;
};

class LODMeshParticle : public Kiv::LODMeshData, public MeshStepsHolder {
  public:
    using MeshStepsHolder::MeshStepsHolder;
};

// MeshData's and LODMeshData's steps: those of the checked mesh whose mesh object runs them.
void RunLoadJob(Kiv::MeshData& mesh, bool* success) {
    auto* holder = dynamic_cast<MeshStepsHolder*>(&mesh);
    *success = holder && holder->GetSteps().RunLoadStep();
}

void RunLODLoadJob(Kiv::LODMeshData& mesh, bool* success) { RunLoadJob(mesh, success); }

void RunAnimationJob(Kiv::MeshData& mesh, bool* success) {
    auto* holder = dynamic_cast<MeshStepsHolder*>(&mesh);
    *success = holder && holder->GetSteps().RunAnimationStep();
}

} // namespace

Content3DMeshEngine::Content3DMeshEngine() {
    Kiv::MeshData::SetSteps(RunLoadJob, RunAnimationJob);
    Kiv::LODMeshData::SetLODStep(RunLODLoadJob);
}

bool Content3DMeshEngine::RunLoad(MeshCheckSteps& steps, const Kiv::PString& name, bool lod,
                                  void* context) {
    std::unique_ptr<Kiv::MeshData> particle;
    if (lod)
        particle = std::make_unique<LODMeshParticle>(steps);
    else
        particle = std::make_unique<MeshParticle>(steps);
    Kiv::MeshData& mesh = *particle;
    std::unique_ptr<Kiv::MeshData>* outer = loading_;
    loading_ = &particle;
    const bool loaded = mesh.Load(name, context);
    loading_ = outer;
    return loaded;
}

bool Content3DMeshEngine::RunAnimationLoad(MeshCheckSteps& steps, MeshCheckInstance* instance,
                                           const Kiv::PString& name) {
    auto* mesh = dynamic_cast<Content3DMeshInstance*>(instance);
    if (!mesh || !dynamic_cast<MeshStepsHolder*>(&mesh->GetParticle()))
        return steps.RunAnimationStep();
    return mesh->GetParticle().LoadAnimation(name);
}

std::unique_ptr<Kiv::MeshData> Content3DMeshEngine::TakeLoadingParticle() {
    if (!loading_) return nullptr;
    return std::move(*loading_);
}

std::unique_ptr<MeshCheckResource> Content3DMeshEngine::GetResource(const Kiv::PString& name) {
    KodrinResourceDatabase* database = DataManager::Instance().GetResourceDatabase();
    if (!database) return nullptr;
    Kiv::Resource* resource = database->Get(name, Kiv::ResourceDatabase::kGetCreate);
    if (!resource) return nullptr;
    return std::make_unique<Content3DMeshResource>(*resource);
}

bool Content3DMeshEngine::HasTexture(const Kiv::PString& name) {
    KodrinResourceDatabase* database = DataManager::Instance().GetResourceDatabase();
    if (!database || !currentRenderKernel) return false;
    Kiv::Texture* texture = currentRenderKernel->GetTextureManager()->GetTexture(database, name);
    if (!texture) return false;
    texture->ReleaseReference();
    return true;
}

void Content3DMeshEngine::AddToScene(MeshCheckInstance& instance) {
    const ValidationScene& scene = DataManager::Instance().GetScene();
    auto* mesh = dynamic_cast<Content3DMeshInstance*>(&instance);
    if (!scene.GetRootParticle() || !mesh) return;
    scene.GetRootParticle()->AddChild(&mesh->GetParticle());
    mesh->AddLight(scene.GetLight());
}

Content3DMeshEngine& GetContent3DMeshEngine() {
    static Content3DMeshEngine engine;
    return engine;
}

} // namespace DAROdi
