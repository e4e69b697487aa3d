// DAROdi::Content3DMeshEngine: the mesh-check engine over content3d's mesh resources.
// Resources come from the data manager's location database, meshes load for the validation
// scene's render kernel (currentRenderKernel), textures are looked up through that kernel's
// texture manager, and loaded instances hang below the scene's root particle. Start-up
// installs one (SetMeshCheckEngine).
#pragma once

#include "validation/darodi/mesh_check_engine.h"

namespace DAROdi {

class Content3DMeshEngine : public MeshCheckEngine {
  public:
    std::unique_ptr<MeshCheckResource> GetResource(const Kiv::PString& name) override;
    bool HasTexture(const Kiv::PString& name) override;
    void AddToScene(MeshCheckInstance& instance) override;
};

// The process's engine (made on first use).
Content3DMeshEngine& GetContent3DMeshEngine();

} // namespace DAROdi
