// DAROdi::Content3DMeshEngine: the mesh-check engine over content3d's mesh resources.
// A checked mesh loads as a MeshData (a LODMeshData for a LOD mesh) whose load job runs
// the check's steps (and adds its animations through that object's jobs). Resources come from the data manager's location
// database, meshes load for the validation
// scene's render kernel (currentRenderKernel), textures are looked up through that kernel's
// texture manager, and loaded instances hang below the scene's root particle. Start-up
// installs one (SetMeshCheckEngine).
#pragma once

#include <memory>

#include "validation/darodi/mesh_check_engine.h"

namespace Kiv {
class MeshData;
}

namespace DAROdi {

class Content3DMeshEngine : public MeshCheckEngine {
  public:
    // Installs the checked meshes' steps as the load steps of content3d's MeshData.
    Content3DMeshEngine();

    bool RunLoad(MeshCheckSteps& steps, const Kiv::PString& name, bool lod,
                 void* context) override;
    bool RunAnimationLoad(MeshCheckSteps& steps, MeshCheckInstance* instance,
                          const Kiv::PString& name) override;
    std::unique_ptr<MeshCheckResource> GetResource(const Kiv::PString& name) override;
    bool HasTexture(const Kiv::PString& name) override;
    void AddToScene(MeshCheckInstance& instance) override;

    // The mesh object whose load job runs now, handed to the instance the job creates;
    // null outside a load job or once taken.
    std::unique_ptr<Kiv::MeshData> TakeLoadingParticle();

  private:
    std::unique_ptr<Kiv::MeshData>* loading_ = nullptr;
};

// The process's engine (made on first use).
Content3DMeshEngine& GetContent3DMeshEngine();

} // namespace DAROdi
