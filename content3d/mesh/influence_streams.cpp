// The blend streams of hardware-skinned chunks: for each bone's influence groups, the
// bone's matrix slot in the chunk (index byte 3 x slot) and its weight go into the next
// free component of each vertex. 0xFE in an index byte marks the next free component; a
// vertex that has no free component left starts again with this influence alone.
#include <algorithm>
#include <cmath>

#include "content3d/mesh/indexed_mesh_definition.h"

namespace Kiv {

namespace {

constexpr uint32_t kFree = 0xFE;

uint32_t IndexByte(uint32_t word, int k) { return word >> (8 * k) & 0xFF; }

uint32_t WithByte(uint32_t word, int k, uint32_t value) {
    return (word & ~(0xFFu << (8 * k))) | (value & 0xFF) << (8 * k);
}

uint32_t WeightByte(float weight) {
    if (!(weight > 0.0f)) return 0;
    return static_cast<uint32_t>(std::min(std::trunc(weight * 255.0f), 255.0f));
}

// Sets one weight of a vertex: component k of n.
struct WeightTarget {
    uint32_t* packed = nullptr;  // packed form
    float* floats = nullptr;     // float form, n per vertex
    int n = 4;

    void Set(uint32_t v, int k, float weight) const {
        if (packed) {
            packed[v] = WithByte(packed[v], k, WeightByte(weight));
        } else {
            floats[v * static_cast<uint32_t>(n) + static_cast<uint32_t>(k)] = weight;
        }
    }
    void Restart(uint32_t v, float weight) const {
        if (packed) {
            packed[v] = WeightByte(weight);
            return;
        }
        for (int k = 0; k < n; ++k) floats[v * static_cast<uint32_t>(n) + static_cast<uint32_t>(k)] = k == 0 ? weight : 0.0f;
    }
};

WeightTarget FindWeights(GeometryChunk& chunk) {
    WeightTarget target;
    if ((target.packed = chunk.GetWordItem(kItemPackedWeights))) return target;
    for (int kind = kItemWeights1; kind <= kItemWeights4; ++kind) {
        if ((target.floats = chunk.GetFloatItem(kind))) {
            target.n = kind - kItemWeights1 + 1;
            return target;
        }
    }
    return target;
}

void AddToVertex(const WeightTarget& weights, uint32_t* indices, uint32_t v, uint32_t slotByte, float w) {
    if (weights.n == 1) {
        weights.Set(v, 0, w);
        indices[v] = slotByte;
        return;
    }
    for (int k = weights.n - 1; k >= 1; --k) {
        if (IndexByte(indices[v], k) != kFree) continue;
        weights.Set(v, k, w);
        indices[v] = WithByte(indices[v], k, slotByte);
        if (k < 3) indices[v] = WithByte(indices[v], k + 1, kFree);
        return;
    }
    weights.Restart(v, w);
    indices[v] = slotByte + (kFree << 8);
}

}  // namespace

int KodrinIndexedMeshDefinition::InfluenceBoneFor(uint32_t a) const {
    if (sharedBoneTable_ && a < sharedBoneTable_->size()) {
        for (size_t i = 0; i < influences_.size(); ++i) {
            if (influences_[i].name == (*sharedBoneTable_)[a]) return static_cast<int>(i);
        }
    }
    return static_cast<int>(a);
}

void KodrinIndexedMeshDefinition::BuildInfluenceStreams() {
    for (uint32_t a = 0; a < influences_.size(); ++a) {
        const InfluenceDefinition& bone = influences_[static_cast<size_t>(InfluenceBoneFor(a))];
        for (const InfluenceGroup& group : bone.groups) {
            if (group.entries.empty() || group.chunkIndex >= chunkCount_) continue;
            WriteGroupStreams(*chunks_[group.chunkIndex], group, a);
        }
    }
}

void KodrinIndexedMeshDefinition::WriteGroupStreams(GeometryChunk& chunk, const InfluenceGroup& group, uint32_t a) {
    const uint32_t vertices = static_cast<uint32_t>(chunk.GetVertexCount());
    if ((chunk.GetFlags() & GeometryChunk::kNotSkinnedOnDisplay) != 0 || vertices < group.entries.size()) return;
    const WeightTarget weights = FindWeights(chunk);
    uint32_t* indices = chunk.GetWordItem(kItemPackedIndices);
    if (!indices || (!weights.packed && !weights.floats)) return;
    const uint32_t slotByte = static_cast<uint32_t>(3 * chunk.AddInfluenceMatrix(static_cast<int>(a))) & 0xFF;
    for (const InfluenceEntry& entry : group.entries) {
        if (entry.vertex < vertices) AddToVertex(weights, indices, entry.vertex, slotByte, entry.weight);
    }
}

}  // namespace Kiv
