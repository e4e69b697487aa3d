// LODMeshData: its load step, its answers from the LOD instance and definition, and the
// order in which it lets them go.
#include "content3d/mesh/lod_mesh_data.h"

#include "content3d/mesh/lod_mesh_instances.h"

namespace Kiv {

namespace {

LODMeshData::LODStep& InstalledStep() {
    static LODMeshData::LODStep step = nullptr;
    return step;
}

}  // namespace

void LODMeshData::SetLODStep(LODStep step) { InstalledStep() = step; }

LODMeshData::~LODMeshData() {
    if (!lodInstance) return;
    if (Particle* parent = lodInstance->GetParent()) parent->RemoveChild(lodInstance);
    if (instance == lodInstance) instance = nullptr;
    delete lodInstance;
    lodInstance = nullptr;
}

void LODMeshData::RunLoadStep(bool* success) {
    if (InstalledStep()) InstalledStep()(*this, success);
}

KodrinIndexedMeshInstance* LODMeshData::GetMeshInstance() const { return lodInstance; }

const Vector3* LODMeshData::GetOrigin() const { return lodDefinition ? &lodDefinition->GetPosition() : nullptr; }

uint32_t LODMeshData::GetFaceCount() const { return lodInstance ? lodInstance->GetFaceCount() : 0; }

void LODMeshData::UpdateLighting(Display& display, Viewport* viewport, const Matrix4& matrix, bool force) {
    if (!lodInstance) return;
    lodInstance->UpdateLighting(display, viewport, matrix, force);
    lodInstance->SetUpdateLighting(true);
}

}  // namespace Kiv
