// KodrinIndexedMeshLODResource: the LOD mesh resource, registered twice under one type UId
// ("kodrin.lm" reads the binary ".lm" file, "kodrin.lm.txt" the hand-written "lm.txt").
// It owns one KodrinIndexedMeshLODDefinition; a failed load, of either form, keeps none.
#pragma once

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/lod_mesh_definition.h"

namespace Kiv {

class KodrinIndexedMeshLODResource : public KodrinGeometryBaseResource {
public:
    using KodrinGeometryBaseResource::KodrinGeometryBaseResource;
    size_t CalculateSize() const override { return sizeof(KodrinIndexedMeshLODResource); }
    size_t CalculateDataSize() const override;
    bool LoadAll() override;
    int IsAllLoaded() const override;
    // The definition (null until loaded, and after a failed load).
    KodrinIndexedMeshLODDefinition* GetLODDefinition() const {
        return static_cast<KodrinIndexedMeshLODDefinition*>(definition_.get());
    }
    // The code of the last load (0 when it succeeded or none ran).
    int GetLastResult() const { return lastResult_; }

protected:
    bool Load(const char* name) override;
    bool LoadTxt(std::string_view text) override;
    // Shares equal materials between levels and prepares every level's chunks.
    bool LoadComplete() override;
    // A LOD instance; skinned when the model has bones (none without a skeleton).
    KodrinIndexedMeshInstance* MakeInstanceFor(const KodrinIndexedMeshDefinition& definition) override;

private:
    // Every material of every level.
    std::vector<Material*> AllLevelMaterials() const;
    int lastResult_ = RES_OK;
};

}  // namespace Kiv
