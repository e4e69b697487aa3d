// Setting up, binding and updating the skinning of a dynamic mesh instance.
#include "content3d/mesh/influence_mesh.h"

#include "engine/geometry_chunk.h"
#include "engine/particle_bone.h"
#include "engine/scene.h"

namespace Kiv {

namespace {

SkinBone RecordOf(const PString& name, const PString& parent, const Vector3& position, const Matrix3& rotation) {
    SkinBone bone;
    bone.name = name;
    bone.parentName = parent;
    bone.bindPosition = position;
    bone.bindRotation = Matrix3ToQuaternion(rotation);
    return bone;
}

}  // namespace

KodrinInfluenceMesh::KodrinInfluenceMesh(const KodrinInfluenceMesh& other)
    : bones_(other.bones_), skeleton_(other.skeleton_), levelFrames_(other.levelFrames_.size(), 0) {
    BuildHierarchy();
}

KodrinInfluenceMesh::~KodrinInfluenceMesh() = default;

void KodrinInfluenceMesh::SetupFromMeshInfluences(const std::vector<InfluenceDefinition>& influences, bool hardware,
                                                  uint32_t chunkCount, GeometryChunk* const* chunks) {
    bones_.clear();
    bones_.reserve(influences.size());
    for (const InfluenceDefinition& influence : influences) {
        SkinBone& bone = bones_.emplace_back(
            RecordOf(influence.name, influence.parentName, influence.bindPosition, influence.bindRotation));
        SkinLevel& level = bone.levels.emplace_back();
        level.hardwareSkinned = hardware;
        if (!hardware) level.groups = influence.groups;
    }
    levelFrames_.assign(1, 0);
    for (uint32_t c = 0; hardware && c < chunkCount; ++c) PointChunkAtBones(*chunks[c]);
    BuildHierarchy();
}

void KodrinInfluenceMesh::SetupFromLODBones(const std::vector<LODBone>& table, const std::vector<LODLevel>& levels) {
    bones_.clear();
    bones_.reserve(table.size());
    for (const LODBone& source : table) {
        SkinBone& bone = bones_.emplace_back(
            RecordOf(PString(source.name), PString(source.parent), source.position, source.rotation));
        for (size_t l = 0; l < source.levelInfluences.size(); ++l) {
            SkinLevel& level = bone.levels.emplace_back();
            level.hardwareSkinned = l < levels.size() && levels[l].hardwareSkinned;
            if (!level.hardwareSkinned) level.groups = source.levelInfluences[l].groups;
        }
    }
    levelFrames_.assign(levels.size(), 0);
    for (const LODLevel& level : levels) {
        if (!level.hardwareSkinned) continue;
        for (GeometryChunk* chunk : level.chunks) PointChunkAtBones(*chunk);
    }
    BuildHierarchy();
}

void KodrinInfluenceMesh::PointChunkAtBones(GeometryChunk& chunk) const {
    for (size_t i = 0; i < bones_.size(); ++i) chunk.AssignInfluenceMatrix(static_cast<int>(i), &bones_[i].skinMatrix);
}

void KodrinInfluenceMesh::BuildHierarchy() {
    rootBone_ = kNoBone;
    for (SkinBone& bone : bones_) bone.children.clear();
    for (uint32_t i = 0; i < bones_.size(); ++i) {
        if (bones_[i].parentName.IsEmpty()) {
            rootBone_ = i;
            continue;
        }
        for (uint32_t j = 0; j < bones_.size(); ++j) {
            if (j == i || !(bones_[j].name == bones_[i].parentName)) continue;
            bones_[j].children.push_back(i);
            break;
        }
    }
}

const SkinBone* KodrinInfluenceMesh::GetRootBone() const {
    return rootBone_ == kNoBone ? nullptr : &bones_[rootBone_];
}

uint32_t KodrinInfluenceMesh::FindBone(const PString& name) const {
    for (uint32_t i = 0; i < bones_.size(); ++i) {
        if (bones_[i].name == name) return i;
    }
    return kNoBone;
}

void KodrinInfluenceMesh::SetSkeleton(Particle* root) {
    skeleton_ = root;
    for (SkinBone& bone : bones_) {
        bone.particle = nullptr;
        if (!root) continue;
        bone.particle = root->GetName() == bone.name ? root : root->FindByName(bone.name);
    }
    if (rootBone_ != kNoBone) BindPose(rootBone_, Transformation());
}

void KodrinInfluenceMesh::LocalPlacement(const SkinBone& bone, Vector4& rotation, Vector3& position) const {
    rotation = bone.bindRotation;
    position = bone.bindPosition;
    if (!bone.particle || bone.particle->GetTypeId() != ParticleBone::kTypeId) return;
    const auto& particle = static_cast<const ParticleBone&>(*bone.particle);
    rotation = particle.orientation;
    position = particle.position;
}

void KodrinInfluenceMesh::BindPose(uint32_t index, const Transformation& parent) {
    std::vector<std::pair<uint32_t, Transformation>> pending{{index, parent}};
    while (!pending.empty()) {
        const auto [i, above] = pending.back();
        pending.pop_back();
        SkinBone& bone = bones_[i];
        Vector4 rotation;
        Vector3 position;
        LocalPlacement(bone, rotation, position);
        const Transformation world = Transformation::MultiplyTransform(above, rotation, position);
        if (bone.particle) bone.inverseBind = world.GetMatrix().Inverse();
        for (uint32_t child : bone.children) pending.emplace_back(child, world);
    }
}

bool KodrinInfluenceMesh::RewritesPositions(uint32_t level) const {
    return bones_.empty() || level >= bones_[0].levels.size() || !bones_[0].levels[level].hardwareSkinned;
}

void KodrinInfluenceMesh::ClearPositions(uint32_t chunkCount, GeometryChunk* const* chunks, uint32_t level) {
    if (!RewritesPositions(level)) return;
    for (uint32_t c = 0; c < chunkCount; ++c) {
        float* positions = chunks[c]->GetFloatItem(kItemPosition);
        if (!positions) continue;
        std::fill(positions, positions + 3 * static_cast<size_t>(chunks[c]->GetVertexCount()), 0.0f);
    }
}

void KodrinInfluenceMesh::Update(uint32_t chunkCount, GeometryChunk* const* chunks, uint32_t frame, uint32_t level) {
    if (level < levelFrames_.size()) {
        if (frame != 0 && levelFrames_[level] == frame) return;
        levelFrames_[level] = frame;
    }
    ClearPositions(chunkCount, chunks, level);
    if (bones_.empty() || rootBone_ == kNoBone) return;
    if (!RewritesPositions(level)) {
        UpdateHardware(rootBone_, Transformation());
    } else {
        UpdateSoftware(rootBone_, Transformation(), chunkCount, chunks, level);
    }
}

void KodrinInfluenceMesh::ApplyParticleScale(const SkinBone& bone, Matrix4& world) const {
    if (!bone.particle || bone.particle->GetTypeId() != ParticleBone::kTypeId) return;
    const auto& particle = static_cast<const ParticleBone&>(*bone.particle);
    if (!particle.scaleInUse) return;
    const float scale[3] = {particle.scale.x, particle.scale.y, particle.scale.z};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column) world.At(row, column) *= scale[row];
    }
}

void KodrinInfluenceMesh::UpdateHardware(uint32_t index, const Transformation& parent) {
    std::vector<std::pair<uint32_t, Transformation>> pending{{index, parent}};
    while (!pending.empty()) {
        const auto [i, above] = pending.back();
        pending.pop_back();
        SkinBone& bone = bones_[i];
        Vector4 rotation;
        Vector3 position;
        LocalPlacement(bone, rotation, position);
        Transformation world = Transformation::MultiplyTransform(above, rotation, position);
        for (uint32_t child : bone.children) pending.emplace_back(child, world);
        ApplyParticleScale(bone, world.GetMatrix());
        bone.skinMatrix = bone.inverseBind * world.GetMatrix();
    }
}

void KodrinInfluenceMesh::UpdateSoftware(uint32_t index, const Transformation& parent, uint32_t chunkCount,
                                         GeometryChunk* const* chunks, uint32_t level) {
    std::vector<std::pair<uint32_t, Transformation>> pending{{index, parent}};
    while (!pending.empty()) {
        const auto [i, above] = pending.back();
        pending.pop_back();
        const SkinBone& bone = bones_[i];
        Vector4 rotation;
        Vector3 position;
        LocalPlacement(bone, rotation, position);
        Transformation world = Transformation::MultiplyTransform(above, rotation, position);
        for (uint32_t child : bone.children) pending.emplace_back(child, world);
        ApplyParticleScale(bone, world.GetMatrix());
        if (level >= bone.levels.size()) continue;
        for (const InfluenceGroup& group : bone.levels[level].groups) {
            if (group.chunkIndex >= chunkCount) continue;
            GeometryChunk& chunk = *chunks[group.chunkIndex];
            float* positions = chunk.GetFloatItem(kItemPosition);
            const uint32_t vertices = static_cast<uint32_t>(chunk.GetVertexCount());
            for (const InfluenceEntry& entry : group.entries) {
                if (!positions || entry.vertex >= vertices) continue;
                const Vector3 moved = world.Transform(entry.offset);
                float* p = positions + 3 * size_t{entry.vertex};
                p[0] += entry.weight * moved.x;
                p[1] += entry.weight * moved.y;
                p[2] += entry.weight * moved.z;
            }
        }
    }
}

void KodrinInfluenceMesh::AppendGroup(uint32_t bone, uint32_t level, const InfluenceGroup& group) {
    if (bone >= bones_.size()) return;
    if (bones_[bone].levels.size() <= level) bones_[bone].levels.resize(size_t{level} + 1);
    bones_[bone].levels[level].groups.push_back(group);
}

void KodrinInfluenceMesh::MergeGroup(InfluenceGroup& target, const InfluenceGroup& group, uint32_t offset) {
    for (InfluenceEntry entry : group.entries) {
        entry.vertex += offset;
        target.entries.push_back(entry);
    }
}

bool KodrinInfluenceMesh::AppendGroupToFirstLevel(uint32_t bone, const InfluenceGroup& group) {
    if (bone >= bones_.size() || bones_[bone].levels.empty()) return false;
    bones_[bone].levels[0].groups.push_back(group);
    return true;
}

}  // namespace Kiv
