// The skinned LOD mesh instance: skin set up per level from the bone table, the animation
// cut-off with its hysteresis, the drawn level and the animated levels skinned once a
// frame, copies rebound to their own skeleton, matrix slots released.
#include <algorithm>

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/lod_mesh_instances.h"
#include "engine/display.h"
#include "engine/view_point.h"

namespace Kiv {

namespace {

bool SkinnedOnDisplay(const GeometryChunk& chunk) {
    return (chunk.GetFlags() & GeometryChunk::kNotSkinnedOnDisplay) == 0;
}

// Chunks skinned in software were copied when the level was; any other is still shared.
bool Shared(const GeometryChunk& chunk) { return (chunk.GetFlags() & GeometryChunk::kSoftwareSkinned) == 0; }

void SetTreeFlag(Particle& particle, uint32_t flag, bool on) {
    std::vector<Particle*> pending{&particle};
    while (!pending.empty()) {
        Particle* next = pending.back();
        pending.pop_back();
        next->SetFlags(on ? next->GetFlags() | flag : next->GetFlags() & ~flag);
        for (Particle* child : next->GetChildren()) pending.push_back(child);
    }
}

}  // namespace

KodrinDynamicIndexedMeshLODInstance::~KodrinDynamicIndexedMeshLODInstance() {
    const std::vector<SkinBone>& bones = GetBones();
    for (const LODLevel& level : levels_) {
        for (GeometryChunk* chunk : level.chunks) {
            for (size_t slot = 0; slot < bones.size(); ++slot) {
                const int s = static_cast<int>(slot);
                if (chunk->GetAssignedInfluenceMatrix(s) == &bones[slot].skinMatrix) {
                    chunk->AssignInfluenceMatrix(s, nullptr);
                }
            }
        }
    }
}

bool KodrinDynamicIndexedMeshLODInstance::InitFromResource(KodrinGeometryBaseResource& resource) {
    const auto* lod = dynamic_cast<const KodrinIndexedMeshLODDefinition*>(resource.GetDefinition());
    if (!lod || lod->GetLevelCount() == 0 || !lod->GetSkeletonRoot()) return false;
    SetResource(&resource);
    InitFromLODDefinition(*lod);
    animationCutOff_ = lod->GetAnimationCutOff();
    SelectLevel(CollisionLevel());
    // The hardware levels' chunks get private copies before their slots point at the bones.
    for (uint32_t i = 0; i < GetLevelCount(); ++i) MakeLevelChunksUnique(i, SkinnedOnDisplay);
    SetupFromLODBones(lod->GetBoneTable(), levels_);
    MakeRewrittenLevelsUnique();
    for (const LODNamedPart& part : lod->GetNamedParts()) {
        if (!part.animated || part.level >= GetLevelCount()) continue;
        if (std::find(animatedLevels_.begin(), animatedLevels_.end(), part.level) == animatedLevels_.end()) {
            animatedLevels_.push_back(part.level);
        }
    }
    KodrinInfluenceMesh::SetSkeleton(AddSkeletonClone(lod->GetSkeletonRoot()));
    FinishFromResource(*lod);
    return true;
}

void KodrinDynamicIndexedMeshLODInstance::Cull(ViewPoint& viewpoint, const Matrix4& matrix) {
    KodrinIndexedMeshLODInstance::Cull(viewpoint, matrix);
    if (IsLevelLocked()) FindLOD(GetBoundingSphere(), viewpoint.GetCameraPosition());
}

void KodrinDynamicIndexedMeshLODInstance::MarkBoneChildren(bool beyond) {
    for (Particle* child : GetChildren()) {
        const std::string_view name = child->GetName().View();
        if (name.size() > 2 && name.substr(0, 2) == "b.") SetTreeFlag(*child, kCulledFlag, beyond);
    }
}

void KodrinDynamicIndexedMeshLODInstance::Skin(uint32_t frame) {
    const float distance = GetLastDistance(), offset = GetOffset();
    if (distance - offset > animationCutOff_) {
        skinFlags_ |= kBeyondCutOff;
        MarkBoneChildren(true);
    } else if (distance + offset < animationCutOff_) {
        skinFlags_ &= static_cast<uint8_t>(~kBeyondCutOff);
        MarkBoneChildren(false);
    }
    if ((skinFlags_ & (kSkinPending | kBeyondCutOff)) == 0 || drawLevel_ >= levels_.size()) return;
    skinFlags_ &= static_cast<uint8_t>(~kSkinPending);
    // The drawn level is skinned with its own influences, whatever level the distance gives.
    const LODLevel& drawn = levels_[drawLevel_];
    Update(HeldChunks(drawn), drawn.chunks.data(), frame, drawLevel_);
    for (uint32_t level : animatedLevels_) {
        if (level == drawLevel_ || level >= levels_.size()) continue;
        Update(HeldChunks(levels_[level]), levels_[level].chunks.data(), frame, level);
    }
}

void KodrinDynamicIndexedMeshLODInstance::Render(Display& display, Viewport* viewport, const Matrix4& matrix) {
    Skin(display.GetFrameNumber());
    KodrinIndexedMeshLODInstance::Render(display, viewport, matrix);
}

void KodrinDynamicIndexedMeshLODInstance::RenderTriangles(Display& display, Viewport* viewport, bool lighting) {
    Skin(display.GetFrameNumber());
    KodrinIndexedMeshLODInstance::RenderTriangles(display, viewport, lighting);
}

Particle* KodrinDynamicIndexedMeshLODInstance::CreateInstance() const {
    auto* copy = new KodrinDynamicIndexedMeshLODInstance(GetRenderKernel(), *this);
    copy->CopyLODFrom(*this);
    copy->animatedLevels_ = animatedLevels_;
    copy->animationCutOff_ = animationCutOff_;
    copy->skinFlags_ = static_cast<uint8_t>((copy->skinFlags_ & ~kSkinPending) | (skinFlags_ & kSkinPending));
    copy->KodrinInfluenceMesh::SetSkeleton(copy->GetSkeletonChild());
    copy->PointLevelsAtBones();
    return copy;
}

void KodrinDynamicIndexedMeshLODInstance::PointLevelsAtBones() {
    const uint32_t selected = GetSelectedLevel();
    for (uint32_t i = 0; i < GetLevelCount(); ++i) {
        MakeLevelChunksUnique(i, SkinnedOnDisplay);
        for (GeometryChunk* chunk : levels_[i].chunks) {
            if (SkinnedOnDisplay(*chunk)) PointChunkAtBones(*chunk);
        }
    }
    MakeRewrittenLevelsUnique();
    SelectLevel(selected);
}

void KodrinDynamicIndexedMeshLODInstance::MakeRewrittenLevelsUnique() {
    for (uint32_t i = 0; i < GetLevelCount(); ++i) {
        if (RewritesPositions(i)) MakeLevelChunksUnique(i, Shared);
    }
}

}  // namespace Kiv
