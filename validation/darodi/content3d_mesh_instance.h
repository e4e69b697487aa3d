// DAROdi::Content3DMeshInstance: a mesh instance of the content3d mesh-check engine, read
// over a loaded mesh resource: a plain mesh (".im") through the engine's instance, a LOD
// mesh (".lm"/"lm.txt") through its definition. Its scene object is a Kiv::MeshData
// particle holding the instance, the definition, the attachments and the skeleton's bones;
// the validation scene shows it. Animations are answered the way the
// engine's animator would: none without a skeleton, none when the ".kin" file is missing.
#pragma once

#include <memory>
#include <vector>

#include "content3d/mesh/mesh_data.h"
#include "validation/darodi/mesh_check_engine.h"

namespace Kiv {
class DisplayLight;
class KodrinGeometryBaseResource;
class KodrinIndexedMeshInstance;
class KodrinIndexedMeshLODDefinition;
class ResourceDatabase;
} // namespace Kiv

namespace DAROdi {

// The mesh object of a checked mesh: its load and animation jobs run the checked mesh's
// steps.
class MeshParticle : public Kiv::MeshData {
  public:
    explicit MeshParticle(MeshCheckSteps& steps) : steps_(&steps) {}
    MeshCheckSteps& GetSteps() const { return *steps_; }

  private:
    MeshCheckSteps* steps_;
};

class Content3DMeshInstance : public MeshCheckInstance {
  public:
    // Keeps a reference on resource, whose definition must be loaded; lod is the resource's
    // LOD definition when the instance is a LOD one, else null, and meshInstance the
    // engine's instance of a plain mesh (hung below the scene object, which owns it).
    // particle (the mesh object being loaded) becomes the scene object; without one the
    // instance makes its own.
    Content3DMeshInstance(Kiv::KodrinGeometryBaseResource& resource,
                          Kiv::KodrinIndexedMeshLODDefinition* lod,
                          Kiv::KodrinIndexedMeshInstance* meshInstance,
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
    // The engine's instance lit by light; nothing for a LOD mesh.
    void AddLight(Kiv::DisplayLight* light);

  private:
    Kiv::KodrinGeometryBaseResource& resource_;
    Kiv::KodrinIndexedMeshLODDefinition* lod_;
    Kiv::KodrinIndexedMeshInstance* meshInstance_;
    std::unique_ptr<Kiv::MeshData> particle_;
    int32_t level_ = 0;
};

} // namespace DAROdi
