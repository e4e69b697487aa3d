// DAROdi::Content3DMeshInstance: a mesh instance of the content3d mesh-check engine: the
// engine's instance of a loaded mesh resource (an indexed mesh, or a LOD mesh's LOD
// instance) below its scene object, a Kiv::MeshData (Kiv::LODMeshData for a LOD mesh)
// that also holds the definition, the attachments and the skeleton's bones; the validation
// scene shows it. Animations are answered the way the engine's animator would: none
// without a skeleton, none when the ".kin" file is missing.
#pragma once

#include <memory>
#include <vector>

#include "content3d/mesh/mesh_data.h"
#include "validation/darodi/mesh_check_engine.h"

namespace Kiv {
class DisplayLight;
class KodrinGeometryBaseResource;
class KodrinIndexedMeshInstance;
class ResourceDatabase;
} // namespace Kiv

namespace DAROdi {

// What the mesh object of a checked mesh knows of it: the steps its load and animation
// jobs run.
class MeshStepsHolder {
  public:
    explicit MeshStepsHolder(MeshCheckSteps& steps) : steps_(&steps) {}
    virtual ~MeshStepsHolder() = default;
    MeshCheckSteps& GetSteps() const { return *steps_; }

  private:
    MeshCheckSteps* steps_;
};

class Content3DMeshInstance : public MeshCheckInstance {
  public:
    // Keeps a reference on resource, whose definition is loaded; meshInstance (the engine's,
    // a LOD instance when particle is a Kiv::LODMeshData) goes below particle, the scene
    // object, which owns it. Without a particle the instance makes a plain one.
    Content3DMeshInstance(Kiv::KodrinGeometryBaseResource& resource,
                          Kiv::KodrinIndexedMeshInstance& meshInstance,
                          std::unique_ptr<Kiv::MeshData> particle);
    ~Content3DMeshInstance() override;
    Content3DMeshInstance(const Content3DMeshInstance&) = delete;
    Content3DMeshInstance& operator=(const Content3DMeshInstance&) = delete;

    std::vector<Kiv::PString> GetAttachmentNames() const override;
    int32_t GetLevelCount() const override;
    void SelectLevel(int32_t level) override;
    int32_t GetFaceCount() const override;
    std::vector<Kiv::String> GetFailedTextures() const override;
    std::vector<std::vector<Kiv::String>> GetMaterialTextureNames() const override;
    bool HasParticle(const Kiv::PString& name) const override;
    int32_t AddAnimation(const Kiv::PString& name) override;
    void SetShown(bool shown) override;

    // The scene object.
    Kiv::MeshData& GetParticle() { return *particle_; }
    // The engine's instance lit by light.
    void AddLight(Kiv::DisplayLight* light);

  private:
    Kiv::KodrinGeometryBaseResource& resource_;
    std::unique_ptr<Kiv::MeshData> particle_;
};

} // namespace DAROdi
