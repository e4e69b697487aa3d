// The mesh-check engine over content3d's mesh resources (content3d_mesh_engine.h).
#include "validation/darodi/content3d_mesh_engine.h"

#include "content3d/materials/validation_scene.h"
#include "content3d/mesh/lod_mesh_resource.h"
#include "content3d/resource_database.h"
#include "engine/render_kernel.h"
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

    std::unique_ptr<MeshCheckInstance> CreateInstance(bool lod) override {
        auto* mesh = dynamic_cast<Kiv::KodrinGeometryBaseResource*>(&resource_);
        if (!mesh || !mesh->GetDefinition()) return nullptr;
        Kiv::KodrinIndexedMeshLODDefinition* lodDefinition = nullptr;
        Kiv::KodrinIndexedMeshInstance* meshInstance = nullptr;
        if (lod) {
            auto* lodMesh = dynamic_cast<Kiv::KodrinIndexedMeshLODResource*>(mesh);
            if (!lodMesh || !lodMesh->GetLODDefinition()) return nullptr;
            lodDefinition = lodMesh->GetLODDefinition();
        } else {
            meshInstance = mesh->CreateMeshInstance();
            if (!meshInstance) return nullptr;
        }
        return std::make_unique<Content3DMeshInstance>(
            *mesh, lodDefinition, meshInstance, GetContent3DMeshEngine().TakeLoadingParticle());
    }

  private:
    Kiv::Resource& resource_;
};

// MeshData's steps: those of the checked mesh whose mesh object runs them.
void RunLoadJob(Kiv::MeshData& mesh, bool* success) {
    auto* particle = dynamic_cast<MeshParticle*>(&mesh);
    *success = particle && particle->GetSteps().RunLoadStep();
}

void RunAnimationJob(Kiv::MeshData& mesh, bool* success) {
    auto* particle = dynamic_cast<MeshParticle*>(&mesh);
    *success = particle && particle->GetSteps().RunAnimationStep();
}

} // namespace

Content3DMeshEngine::Content3DMeshEngine() { Kiv::MeshData::SetSteps(RunLoadJob, RunAnimationJob); }

bool Content3DMeshEngine::RunLoad(MeshCheckSteps& steps, const Kiv::PString& name, bool,
                                  void* context) {
    std::unique_ptr<Kiv::MeshData> particle = std::make_unique<MeshParticle>(steps);
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
    if (!mesh || !dynamic_cast<MeshParticle*>(&mesh->GetParticle())) return steps.RunAnimationStep();
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
