// Adding a chunk of another skinned mesh to a skinned instance, or appending its geometry
// to one of the instance's chunks, with its skinning carried over by bone name: influence
// groups for chunks skinned in software, the matrix list and the packed bone-index bytes
// for chunks skinned on the display.
#include <utility>

#include "content3d/mesh/dynamic_mesh_instances.h"
#include "engine/vertex_program.h"

namespace Kiv {

namespace {

using BoneGroups = std::vector<std::pair<uint32_t, InfluenceGroup>>;

bool NotOnDisplay(const GeometryChunk& chunk) { return (chunk.GetFlags() & GeometryChunk::kNotSkinnedOnDisplay) != 0; }
bool HasMatrices(const GeometryChunk& chunk) { return !chunk.GetInfluenceMatrices().empty(); }

// The chunk is flagged 0x40 exactly when it has no matrices, and the instance's first chunk
// exactly when the chunk has none.
bool KindsAgree(const GeometryChunk& chunk, const GeometryChunk* first) {
    return first && NotOnDisplay(chunk) == !HasMatrices(chunk) && NotOnDisplay(*first) == !HasMatrices(chunk);
}

// The source's groups of sourceKey, each with the bone of the same name here; false when
// a bone has no namesake.
bool CollectGroups(const KodrinInfluenceMesh& target, const KodrinInfluenceMesh& source, uint32_t sourceKey,
                   BoneGroups& out) {
    for (const SkinBone& bone : source.GetBones()) {
        if (bone.levels.empty()) continue;
        for (const InfluenceGroup& group : bone.levels[0].groups) {
            if (group.chunkIndex != sourceKey) continue;
            const uint32_t here = target.FindBone(bone.name);
            if (here == KodrinInfluenceMesh::kNoBone) return false;
            out.emplace_back(here, group);
        }
    }
    return true;
}

// The bones here of the source chunk's matrices, in its slot order; false when one has no
// namesake.
bool MapMatrices(const KodrinInfluenceMesh& target, const KodrinInfluenceMesh& source, const GeometryChunk& chunk,
                 std::vector<int>& bones) {
    for (int bone : chunk.GetInfluenceMatrices()) {
        if (bone < 0 || static_cast<size_t>(bone) >= source.GetBones().size()) return false;
        const uint32_t here = target.FindBone(source.GetBones()[static_cast<size_t>(bone)].name);
        if (here == KodrinInfluenceMesh::kNoBone) return false;
        bones.push_back(static_cast<int>(here));
    }
    return true;
}

// From vertex first on, each packed bone-index byte b naming source matrix b / 3 becomes
// 3 x that matrix's new slot. A vertex's bytes end at the first one naming no source
// matrix (the bytes after it are unused and left alone); the next vertex is renumbered
// all the same.
void RewriteBoneIndices(GeometryChunk& chunk, int first, const std::vector<int>& slots) {
    uint32_t* words = chunk.GetWordItem(kItemPackedIndices);
    if (!words) return;
    for (int v = first; v < chunk.GetVertexCount(); ++v) {
        for (int k = 0; k < 4; ++k) {
            const int shift = 8 * k;
            const uint32_t byte = (words[v] >> shift) & 0xFF;
            if (byte / 3 >= slots.size() || 3 * slots[byte / 3] > 0xFF) break;
            words[v] = (words[v] & ~(0xFFu << shift)) | (static_cast<uint32_t>(3 * slots[byte / 3]) << shift);
        }
    }
}

// Adds the bones to chunk's matrix list; their slots.
std::vector<int> AddMatrices(GeometryChunk& chunk, const std::vector<int>& bones) {
    std::vector<int> slots;
    for (int bone : bones) slots.push_back(chunk.AddInfluenceMatrix(bone));
    return slots;
}

// Whether the chunk's vertex program has matrix registers for every matrix of the chunk.
bool RegistersHoldMatrices(const GeometryChunk& chunk) {
    const VertexProgram* program = chunk.GetVertexProgram(0);
    if (!program) return false;
    const int first = program->GetFirstMatrixRegister(), last = program->GetLastMatrixRegister();
    if (first < 0 || last < 0) return false;
    const int capacity = (last - first) / 3;
    return capacity >= 1 && static_cast<size_t>(capacity) >= chunk.GetInfluenceMatrices().size();
}

}  // namespace

namespace InstanceSkinning {

void PointSlotsAtListedBones(const KodrinInfluenceMesh& skin, GeometryChunk& chunk) {
    const std::vector<SkinBone>& bones = skin.GetBones();
    const std::vector<int>& listed = chunk.GetInfluenceMatrices();
    for (size_t slot = 0; slot < listed.size(); ++slot) {
        const int bone = listed[slot];
        if (bone >= 0 && static_cast<size_t>(bone) < bones.size()) {
            chunk.AssignInfluenceMatrix(static_cast<int>(slot), &bones[static_cast<size_t>(bone)].skinMatrix);
        }
    }
}

}  // namespace InstanceSkinning

bool KodrinDynamicIndexedMeshInstance::AddSkinnedChunk(GeometryChunk* chunk, Material* material,
                                                       const KodrinInfluenceMesh& source, uint32_t sourceKey) {
    if (!chunk || !KindsAgree(*chunk, GetChunk(0))) return false;
    const uint32_t target = GetChunkCount();
    BoneGroups groups;
    std::vector<int> bones;
    if (HasMatrices(*chunk) ? !MapMatrices(*this, source, *chunk, bones) : !CollectGroups(*this, source, sourceKey, groups)) {
        return false;
    }
    GeometryChunk* held = chunk->Clone();
    PrepareChunk(*held);
    if (HasMatrices(*chunk)) {
        held->ResetMatrixArray();
        RewriteBoneIndices(*held, 0, AddMatrices(*held, bones));
        held->MarkIndicesForUpload();
        InstanceSkinning::PointSlotsAtListedBones(*this, *held);
    }
    for (auto& [bone, group] : groups) {
        group.chunkIndex = target;
        AppendGroupToFirstLevel(bone, group);
    }
    AppendOwnChunk(held, material);
    return true;
}

bool KodrinDynamicIndexedMeshInstance::AppendSkinnedChunkGeometry(GeometryChunk* chunk, uint32_t i,
                                                                  const KodrinInfluenceMesh& source,
                                                                  uint32_t sourceKey) {
    if (!chunk || i >= GetChunkCount() || !KindsAgree(*chunk, GetChunk(0))) return false;
    BoneGroups groups;
    std::vector<int> bones;
    if (HasMatrices(*chunk) ? !MapMatrices(*this, source, *chunk, bones) : !CollectGroups(*this, source, sourceKey, groups)) {
        return false;
    }
    GeometryChunk* copy = GetChunk(i)->Clone();
    const int formerVertices = copy->GetVertexCount();
    const std::vector<int> slots = AddMatrices(*copy, bones);
    if ((HasMatrices(*chunk) && !RegistersHoldMatrices(*copy)) || !copy->AppendGeometry(GetDisplay(), *chunk)) {
        copy->ReleaseReference();
        return false;
    }
    if (HasMatrices(*chunk)) {
        RewriteBoneIndices(*copy, formerVertices, slots);
        copy->MarkIndicesForUpload();
        InstanceSkinning::PointSlotsAtListedBones(*this, *copy);
    }
    for (auto& [bone, group] : groups) MergeIntoChunkGroup(bone, i, group, static_cast<uint32_t>(formerVertices));
    ReplaceOwnChunk(i, copy);
    return true;
}

void KodrinDynamicIndexedMeshInstance::MergeIntoChunkGroup(uint32_t bone, uint32_t chunk, const InfluenceGroup& group,
                                                           uint32_t offset) {
    SkinBone& record = GetBones()[bone];
    if (!record.levels.empty()) {
        for (InfluenceGroup& existing : record.levels[0].groups) {
            if (existing.chunkIndex != chunk) continue;
            MergeGroup(existing, group, offset);
            return;
        }
    }
    InfluenceGroup shifted{chunk, {}};
    MergeGroup(shifted, group, offset);
    AppendGroupToFirstLevel(bone, shifted);
}

}  // namespace Kiv
