// Test-only writer of ".lm" files: an LmSpec describes the file chunk by chunk (material
// table, optional bone table and attachments, one MESH per level with optional LODB and
// its LCHK chunks), WriteLm lays it out with every chunk size patched. Counts and indices
// are taken as given, so tests can write files that break the rules.
#pragma once

#include "mesh_file_writer.h"

namespace meshtest {

struct LmChunk {
    uint32_t materialIndex = 0;
    Geom geom;
    std::optional<std::vector<std::array<uint32_t, 3>>> neighbours;
};

struct LmLevel {
    float distance = 0;
    uint32_t maxWeights = 0, maxBones = 0;
    std::vector<LmChunk> chunks;
    std::optional<uint32_t> chunkCount;
    std::vector<std::vector<Group>> lodb;  // per bone; written when the spec has bones
    bool writeLodb = true;                  // false: no LODB even with bones
};

struct LmNamed {
    uint32_t level = 0;
    std::string key;
    bool animated = false;
};

struct LmBone {
    std::string name, parent;
};

struct LmSpec {
    std::vector<Matl> materials{Matl{}};
    std::vector<LmNamed> named;
    std::optional<std::vector<LmBone>> bones;
    std::optional<std::vector<Attachment>> attachments;
    std::vector<LmLevel> levels;
    std::optional<uint32_t> levelCount;
    uint32_t calcPoint = 0;
};

// One level of one triangle at distance d.
inline LmLevel TriangleLevel(float d) {
    LmLevel level;
    level.distance = d;
    LmChunk chunk;
    chunk.geom = Triangles(1).geom;
    level.chunks.push_back(chunk);
    return level;
}

inline void WriteLodb(Out& o, const std::vector<std::vector<Group>>& bones) {
    const size_t at = o.Begin("LODB", 100);
    for (const std::vector<Group>& groups : bones) {
        o.U32(static_cast<uint32_t>(groups.size()));
        for (const Group& g : groups) {
            o.U32(g.chunk);
            o.U32(static_cast<uint32_t>(g.entries.size()));
            for (const Entry& e : g.entries) {
                o.U32(e.vertex);
                o.F32(e.weight);
                o.Vec({});
            }
        }
    }
    o.End(at);
}

inline void WriteLmLevel(Out& o, const LmSpec& spec, const LmLevel& level) {
    const size_t at = o.Begin("MESH", 100);
    o.U32(level.chunkCount.value_or(static_cast<uint32_t>(level.chunks.size())));
    o.U32(level.maxWeights);
    o.U32(level.maxBones);
    o.F32(level.distance);
    if (spec.bones && level.writeLodb) WriteLodb(o, level.lodb);
    for (size_t c = 0; c < level.chunks.size(); ++c) {
        const size_t chunk = o.Begin("LCHK", 100);
        o.U32(static_cast<uint32_t>(c));
        o.U32(level.chunks[c].materialIndex);
        WriteGeom(o, level.chunks[c].geom);
        if (level.chunks[c].neighbours) {
            const size_t n = o.Begin("NINF", 100);
            for (const auto& face : *level.chunks[c].neighbours) {
                for (uint32_t v : face) o.U32(v);
            }
            o.End(n);
        }
        o.End(chunk);
    }
    o.End(at);
}

inline std::string WriteLm(const LmSpec& spec) {
    Out o;
    o.Tag("KIRF");
    o.U32(0);
    o.Tag("LODM");
    const size_t info = o.Begin("INFO", 100);
    o.Vec({});
    o.Vec({});
    o.F32(1);
    o.U32(spec.levelCount.value_or(static_cast<uint32_t>(spec.levels.size())));
    o.U32(spec.calcPoint);
    o.F32(0);
    o.F32(1);
    o.F32(0);
    o.F32(0);
    o.F32(0);
    o.U32(static_cast<uint32_t>(spec.named.size()));
    for (const LmNamed& n : spec.named) {
        o.U32(n.level);
        o.PStr(n.key);
        o.bytes.push_back(n.animated ? 1 : 0);
    }
    o.End(info);
    const size_t matt = o.Begin("MATT", 100);
    o.U32(static_cast<uint32_t>(spec.materials.size()));
    for (const Matl& m : spec.materials) WriteMatl(o, m);
    o.End(matt);
    if (spec.bones) {
        const size_t bont = o.Begin("BONT", 100);
        o.U32(static_cast<uint32_t>(spec.bones->size()));
        for (const LmBone& b : *spec.bones) {
            o.PStr(b.name);
            o.PStr(b.parent);
            o.Vec({});
            for (int i = 0; i < 9; ++i) o.F32(i % 4 == 0 ? 1.0f : 0.0f);
        }
        o.End(bont);
    }
    if (spec.attachments) {
        const size_t atch = o.Begin("ATCH", 100);
        o.U32(static_cast<uint32_t>(spec.attachments->size()));
        for (const Attachment& a : *spec.attachments) {
            o.PStr(a.name);
            for (int i = 0; i < 9; ++i) o.F32(i % 4 == 0 ? 1.0f : 0.0f);
            o.Vec(a.position);
        }
        o.End(atch);
    }
    for (const LmLevel& level : spec.levels) WriteLmLevel(o, spec, level);
    const uint32_t size = static_cast<uint32_t>(o.bytes.size() - 8);
    std::memcpy(&o.bytes[4], &size, 4);
    return o.bytes;
}

}  // namespace meshtest
