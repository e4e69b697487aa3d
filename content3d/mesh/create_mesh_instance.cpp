// CreateMeshInstance of the ".im", ".pm" and LOD resources: which instance class a loaded
// definition gets (static, skinned, or none for a skinned mesh without a skeleton).
#include "content3d/mesh/dynamic_mesh_instances.h"
#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/lod_mesh_instances.h"
#include "content3d/mesh/lod_mesh_resource.h"

namespace Kiv {

namespace {

enum class Skinning { kNone, kSkinned, kImpossible };

Skinning SkinningOf(const KodrinIndexedMeshDefinition& definition) {
    if (definition.GetInfluences().empty() || definition.GetMaxBonesPerChunk() == 0) return Skinning::kNone;
    return definition.GetSkeletonRoot() ? Skinning::kSkinned : Skinning::kImpossible;
}

}  // namespace

KodrinIndexedMeshInstance* KodrinGeometryBaseResource::CreateMeshInstance() {
    if (!renderKernel_ || !Lock()) return nullptr;
    KodrinIndexedMeshInstance* instance = definition_ ? MakeInstanceFor(*definition_) : nullptr;
    if (instance && !instance->InitFromResource(*this)) {
        delete instance;
        instance = nullptr;
    }
    Unlock();
    return instance;
}

KodrinIndexedMeshInstance* KodrinGeometryBaseResource::MakeInstanceFor(const KodrinIndexedMeshDefinition& definition) {
    switch (SkinningOf(definition)) {
        case Skinning::kNone: return new KodrinIndexedMeshInstance(renderKernel_);
        case Skinning::kSkinned: return new KodrinDynamicIndexedMeshInstance(renderKernel_);
        case Skinning::kImpossible: break;
    }
    return nullptr;
}

KodrinIndexedMeshInstance* KodrinProgressiveMeshResource::MakeInstanceFor(const KodrinIndexedMeshDefinition& definition) {
    switch (SkinningOf(definition)) {
        case Skinning::kNone: return new KodrinProgressiveMeshInstance(GetRenderKernel());
        case Skinning::kSkinned: return new KodrinDynamicProgressiveMeshInstance(GetRenderKernel());
        case Skinning::kImpossible: break;
    }
    return nullptr;
}

KodrinIndexedMeshInstance* KodrinIndexedMeshLODResource::MakeInstanceFor(const KodrinIndexedMeshDefinition& definition) {
    const auto* lod = dynamic_cast<const KodrinIndexedMeshLODDefinition*>(&definition);
    if (!lod) return nullptr;
    if (!lod->HasBones()) return new KodrinIndexedMeshLODInstance(GetRenderKernel());
    return lod->GetSkeletonRoot() ? new KodrinDynamicIndexedMeshLODInstance(GetRenderKernel()) : nullptr;
}

}  // namespace Kiv
