// LODMeshData: MeshData for LOD meshes (".lm", "lm.txt"). It owns the LOD instance its load
// makes and keeps the LOD definition; face counts follow the level the instance has
// selected. Validation installs the LOD load step (SetLODStep); until then a load reports
// failure.
#pragma once

#include "content3d/mesh/lod_mesh_definition.h"
#include "content3d/mesh/mesh_data.h"

namespace Kiv {

class KodrinIndexedMeshLODInstance;

class LODMeshData : public MeshData {
public:
    using LODStep = void (*)(LODMeshData& mesh, bool* success);
    static void SetLODStep(LODStep step);

    LODMeshData() = default;
    // Deletes the LOD instance first (unlinked from its parent, and from the instance field
    // when it is held there too), then what every MeshData holds.
    ~LODMeshData() override;

    KodrinIndexedMeshInstance* GetMeshInstance() const override;
    KodrinIndexedMeshLODDefinition* GetDefinition() const override { return lodDefinition; }
    const Vector3* GetOrigin() const override;
    uint32_t GetFaceCount() const override;
    void UpdateLighting(Display& display, Viewport* viewport, const Matrix4& matrix, bool force) override;

    KodrinIndexedMeshLODInstance* lodInstance = nullptr;        // owned
    KodrinIndexedMeshLODDefinition* lodDefinition = nullptr;    // the resource's

protected:
    void RunLoadStep(bool* success) override;
};

}  // namespace Kiv
