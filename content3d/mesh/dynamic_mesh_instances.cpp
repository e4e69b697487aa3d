// The skinned indexed and progressive mesh instances: skin set-up, drawing after the skin
// is brought up to date, copies rebound to their own skeleton, slots released.
#include "content3d/mesh/dynamic_mesh_instances.h"

#include "content3d/mesh/geometry_base_resource.h"
#include "engine/display.h"

namespace Kiv {

namespace InstanceSkinning {

namespace {

void MakeChunksUnique(KodrinIndexedMeshInstance& instance, bool all) {
    bool arrayMade = false;
    for (uint32_t i = 0; i < instance.GetChunkCount(); ++i) {
        const uint32_t flags = instance.GetChunk(i)->GetFlags();
        if ((flags & GeometryChunk::kSoftwareSkinned) != 0) continue;  // already the instance's
        if (!all && (flags & GeometryChunk::kNotSkinnedOnDisplay) != 0) continue;
        if (!arrayMade) instance.MakeChunkArrayUnique();
        arrayMade = true;
        instance.MakeChunkUnique(i);
    }
}

}  // namespace

void MakeDisplaySkinnedChunksUnique(KodrinIndexedMeshInstance& instance) { MakeChunksUnique(instance, false); }

void Setup(KodrinIndexedMeshInstance& instance, KodrinInfluenceMesh& skin, const KodrinIndexedMeshDefinition& definition) {
    const bool hardware = definition.IsHardwareSkinning();
    // Every chunk: on the display all get matrix slots, in software all get their positions
    // rewritten, weighted or not.
    MakeChunksUnique(instance, true);
    skin.SetupFromMeshInfluences(definition.GetInfluences(), hardware, instance.GetChunkCount(),
                                 instance.GetChunkArray()->data());
    skin.SetSkeleton(instance.AddSkeletonClone(definition.GetSkeletonRoot()));
}

bool InitFromResource(KodrinIndexedMeshInstance& instance, KodrinInfluenceMesh& skin, KodrinGeometryBaseResource& resource) {
    const KodrinIndexedMeshDefinition* definition = resource.GetDefinition();
    if (!definition) return false;
    instance.SetResource(&resource);
    instance.InitFromDefinition(*definition);
    Setup(instance, skin, *definition);
    definition->AddAttachmentPoints(instance);
    return true;
}

void Rebind(KodrinIndexedMeshInstance& instance, KodrinInfluenceMesh& skin) {
    skin.SetSkeleton(instance.GetSkeletonChild());
    MakeChunksUnique(instance, skin.RewritesPositions(0));
    for (uint32_t i = 0; i < instance.GetChunkCount(); ++i) {
        GeometryChunk* chunk = instance.GetChunk(i);
        if ((chunk->GetFlags() & GeometryChunk::kNotSkinnedOnDisplay) == 0) skin.PointChunkAtBones(*chunk);
    }
}

void ReleaseSlots(const KodrinIndexedMeshInstance& instance, const KodrinInfluenceMesh& skin) {
    const std::vector<SkinBone>& bones = skin.GetBones();
    for (uint32_t i = 0; i < instance.GetChunkCount(); ++i) {
        GeometryChunk* chunk = instance.GetChunk(i);
        for (size_t slot = 0; slot < bones.size(); ++slot) {
            const int s = static_cast<int>(slot);
            if (chunk->GetAssignedInfluenceMatrix(s) == &bones[slot].skinMatrix) chunk->AssignInfluenceMatrix(s, nullptr);
        }
    }
}

}  // namespace InstanceSkinning

KodrinDynamicIndexedMeshInstance::~KodrinDynamicIndexedMeshInstance() { InstanceSkinning::ReleaseSlots(*this, *this); }

bool KodrinDynamicIndexedMeshInstance::InitFromResource(KodrinGeometryBaseResource& resource) {
    return InstanceSkinning::InitFromResource(*this, *this, resource);
}

void KodrinDynamicIndexedMeshInstance::Render(Display& display, Viewport* viewport, const Matrix4& matrix) {
    Update(GetChunkCount(), GetChunkArray()->data(), display.GetFrameNumber(), 0);
    KodrinIndexedMeshInstance::Render(display, viewport, matrix);
}

void KodrinDynamicIndexedMeshInstance::RenderTriangles(Display& display, Viewport* viewport, bool lighting) {
    Update(GetChunkCount(), GetChunkArray()->data(), display.GetFrameNumber(), 0);
    KodrinIndexedMeshInstance::RenderTriangles(display, viewport, lighting);
}

Particle* KodrinDynamicIndexedMeshInstance::CreateInstance() const {
    auto* copy = new KodrinDynamicIndexedMeshInstance(GetRenderKernel(), *this);
    copy->CopyFrom(*this);
    InstanceSkinning::Rebind(*copy, *copy);
    return copy;
}

KodrinDynamicProgressiveMeshInstance::~KodrinDynamicProgressiveMeshInstance() {
    InstanceSkinning::ReleaseSlots(*this, *this);
}

bool KodrinDynamicProgressiveMeshInstance::InitFromResource(KodrinGeometryBaseResource& resource) {
    return InstanceSkinning::InitFromResource(*this, *this, resource);
}

void KodrinDynamicProgressiveMeshInstance::Render(Display& display, Viewport* viewport, const Matrix4& matrix) {
    Update(GetChunkCount(), GetChunkArray()->data(), display.GetFrameNumber(), 0);
    KodrinProgressiveMeshInstance::Render(display, viewport, matrix);
}

void KodrinDynamicProgressiveMeshInstance::RenderTriangles(Display& display, Viewport* viewport, bool lighting) {
    Update(GetChunkCount(), GetChunkArray()->data(), display.GetFrameNumber(), 0);
    KodrinProgressiveMeshInstance::RenderTriangles(display, viewport, lighting);
}

Particle* KodrinDynamicProgressiveMeshInstance::CreateInstance() const {
    auto* copy = new KodrinDynamicProgressiveMeshInstance(GetRenderKernel(), *this);
    copy->CopyFrom(*this);
    copy->CopyDetailFrom(*this);
    InstanceSkinning::Rebind(*copy, *copy);
    return copy;
}

}  // namespace Kiv
