// The mesh resources: KodrinGeometryBaseResource holds what every mesh resource shares
// (the render kernel it loads for, the loader settings, the material names the manager
// refused, the definition it owns); KodrinIndexedMeshResource reads ".im" files and
// KodrinProgressiveMeshResource ".pm" files. Nothing loads while no render kernel is set.
// CreateMeshInstance makes the instance class that fits the loaded definition.
#pragma once

#include <memory>
#include <vector>

#include "content3d/mesh/indexed_mesh_definition.h"
#include "content3d/mesh/mesh_loader_settings.h"
#include "engine/resource.h"

namespace Kiv {

class KodrinIndexedMeshInstance;
class Material;
class RenderKernel;

class KodrinGeometryBaseResource : public Resource {
public:
    KodrinGeometryBaseResource(const PString& name, ResourceDatabase* database, Form form);

    void SetRenderKernel(RenderKernel* kernel) { renderKernel_ = kernel; }
    RenderKernel* GetRenderKernel() const { return renderKernel_; }
    MeshLoaderSettings& GetLoaderSettings() { return loaderSettings_; }
    void AddFailedMaterialName(const PString& name) { failedMaterialNames_.push_back(name); }
    const std::vector<PString>& GetFailedMaterialNames() const { return failedMaterialNames_; }
    void ClearFailedMaterialNames() { failedMaterialNames_.clear(); }
    // The definition (null until loaded, and after a failed load).
    KodrinIndexedMeshDefinition* GetDefinition() const { return definition_.get(); }

    bool LoadAll() override;
    int IsAllLoaded() const override;
    size_t CalculateDataSize() const override;

    // A new instance of the mesh (the caller's), loading it first; null without a render
    // kernel, without a loaded definition, or for a skinned mesh without a skeleton.
    virtual KodrinIndexedMeshInstance* CreateMeshInstance();

protected:
    ~KodrinGeometryBaseResource() override;
    // The instance class for the loaded definition; null when none fits.
    virtual KodrinIndexedMeshInstance* MakeInstanceFor(const KodrinIndexedMeshDefinition& definition);
    // Textures, display buffers (failures ignored), then the engine's completion.
    bool LoadComplete() override;
    // Runs a definition's binary load; keeps it on success, deletes it on failure.
    bool LoadDefinition(std::unique_ptr<KodrinIndexedMeshDefinition> definition, const char* name,
                        bool openHere);

    // Loads the textures of a material that is not complete; false when one fails.
    static bool LoadMaterialTextures(Material& material);
    // kAllLoaded, kAllPending or kAllFailed for one material.
    static int MaterialLoadState(const Material& material);

    std::unique_ptr<KodrinIndexedMeshDefinition> definition_;
    MeshLoaderSettings loaderSettings_;

private:
    RenderKernel* renderKernel_ = nullptr;
    std::vector<PString> failedMaterialNames_;
};

class KodrinIndexedMeshResource : public KodrinGeometryBaseResource {
public:
    using KodrinGeometryBaseResource::KodrinGeometryBaseResource;
    size_t CalculateSize() const override { return sizeof(KodrinIndexedMeshResource); }

protected:
    bool Load(const char* name) override;
};

class KodrinProgressiveMeshResource : public KodrinGeometryBaseResource {
public:
    using KodrinGeometryBaseResource::KodrinGeometryBaseResource;
    size_t CalculateSize() const override { return sizeof(KodrinProgressiveMeshResource); }

protected:
    bool Load(const char* name) override;
    KodrinIndexedMeshInstance* MakeInstanceFor(const KodrinIndexedMeshDefinition& definition) override;
};

}  // namespace Kiv
