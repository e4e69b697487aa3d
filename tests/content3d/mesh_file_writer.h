// Test-only writer of ".im" and ".pm" files: a MeshSpec describes the file chunk by chunk
// (any chunk version, counts that may disagree with the data, optional INFL/SKEL, ATCH
// and PMIN, trailing bytes), WriteMesh lays it out with every chunk size patched. Tests
// corrupt files through the spec (huge counts, an index >= V, wrong versions) or by
// editing the bytes (wrong tag, short body).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace meshtest {

struct V3 {
    float x = 0, y = 0, z = 0;
};

class Out {
public:
    void U32(uint32_t v) {
        for (int s = 0; s < 32; s += 8) bytes.push_back(static_cast<char>(v >> s & 0xFF));
    }
    void U16(uint16_t v) {
        bytes.push_back(static_cast<char>(v & 0xFF));
        bytes.push_back(static_cast<char>(v >> 8));
    }
    void F32(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        U32(v);
    }
    void Vec(const V3& v) {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    void Tag(const char* tag) { bytes.append(tag, 4); }
    // u32 n = length + 1, text, NUL, zeros to a multiple of 4 of n; "" is a lone 0.
    void PStr(const std::string& text) {
        if (text.empty()) return U32(0);
        const size_t n = text.size() + 1;
        U32(static_cast<uint32_t>(n));
        bytes += text;
        bytes.append(((n + 3) & ~size_t{3}) - text.size(), '\0');
    }
    // Starts a chunk (tag, size to patch, version); End patches the size.
    size_t Begin(const char* tag, uint32_t version) {
        const size_t at = bytes.size();
        Tag(tag);
        U32(0);
        U32(version);
        return at;
    }
    void End(size_t at) {
        const uint32_t size = static_cast<uint32_t>(bytes.size() - (at + 8));
        std::memcpy(&bytes[at + 4], &size, 4);
    }
    std::string bytes;
};

struct Texture {
    uint32_t slot = 0;
    std::string file;
    float amount = 1;
};

struct Matl {
    uint32_t version = 103;
    std::string name = "body";
    std::vector<std::pair<std::string, std::string>> properties;
    uint32_t flag = 0;
    float opacity = 1;
    std::array<V3, 4> colours{V3{1, 1, 1}, V3{1, 1, 1}, V3{1, 1, 1}, V3{1, 1, 1}};
    float power = 20;
    std::vector<Texture> textures;
};

struct Geom {
    uint32_t version = 201;
    uint32_t flags = 1;  // primitive kind 1: triangle list
    uint32_t extraFlags = 0;
    float hintValue = 0;
    std::vector<V3> positions;
    uint32_t uvSets = 1;
    std::vector<uint16_t> indices;
    std::optional<uint32_t> faces;     // indices / 3 when absent
    std::optional<uint32_t> vertices;  // the position count when absent
    std::optional<uint32_t> indexCount;
    std::vector<V3> faceNormals;
    uint32_t weightMode = 0;
    std::string chunkMaterialName;
    std::vector<uint32_t> colours;  // V of them written when the version carries colours
};

struct Chnk {
    Matl matl;
    Geom geom;
    std::optional<std::vector<std::array<uint32_t, 3>>> neighbours;
};

struct Entry {
    uint32_t vertex = 0;
    float weight = 1;
};

struct Group {
    uint32_t chunk = 0;
    std::vector<Entry> entries;
};

struct Influence {
    std::string name, parent;
    V3 position;
    std::vector<Group> groups;
};

struct Bone {
    std::string name;
    uint32_t version = 100;
    std::vector<Bone> children;
};

struct Attachment {
    std::string name;
    V3 position;
};

struct Pmin {
    uint32_t version = 101;
    std::vector<int32_t> positions;
    std::vector<std::array<uint32_t, 4>> changes;
    std::vector<std::array<uint32_t, 2>> chunkSteps;
    std::vector<uint32_t> steps;
};

struct MeshSpec {
    uint32_t infoVersion = 103;
    V3 position;
    uint32_t maxWeights = 0, maxBones = 0;
    std::optional<uint32_t> chunkCount;  // the chunk list's size when absent
    std::vector<Chnk> chunks;
    std::optional<std::vector<Influence>> influences;
    std::optional<uint32_t> influenceCount;
    std::optional<Bone> skeleton;
    std::optional<std::vector<Attachment>> attachments;
    std::optional<Pmin> pmin;
    std::string trailing;  // bytes inside the KIRF size, after everything
};

// A triangle-list chunk of n triangles over 3n vertices spaced along x.
inline Chnk Triangles(int n, const std::string& material = "body") {
    Chnk chunk;
    chunk.matl.name = material;
    for (int t = 0; t < n; ++t) {
        const float x = static_cast<float>(t);
        chunk.geom.positions.push_back({x, 0, 0});
        chunk.geom.positions.push_back({x + 1, 0, 0});
        chunk.geom.positions.push_back({x, 1, 0});
        for (int k = 0; k < 3; ++k) chunk.geom.indices.push_back(static_cast<uint16_t>(3 * t + k));
    }
    return chunk;
}

inline void WriteMatl(Out& o, const Matl& m) {
    const size_t at = o.Begin("MATL", m.version);
    o.PStr(m.name);
    o.U32(static_cast<uint32_t>(m.properties.size()));
    for (const auto& [key, value] : m.properties) {
        o.PStr(key);
        o.PStr(value);
    }
    o.U32(m.flag);
    o.F32(m.opacity);
    for (const V3& colour : m.colours) o.Vec(colour);
    o.F32(m.power);
    o.U32(static_cast<uint32_t>(m.textures.size()));
    for (const Texture& t : m.textures) {
        o.U32(t.slot);
        o.PStr(t.file);
        o.F32(t.amount);
    }
    o.End(at);
}

inline void WriteGeom(Out& o, const Geom& g) {
    const size_t at = o.Begin("GEOM", g.version);
    const uint32_t v = static_cast<uint32_t>(g.positions.size());
    o.U32(g.flags);
    if (g.version >= 201) o.U32(g.extraFlags);
    o.F32(g.hintValue);
    o.U32(g.vertices.value_or(v));
    o.U32(g.faces.value_or(static_cast<uint32_t>(g.indices.size() / 3)));
    o.U32(g.indexCount.value_or(static_cast<uint32_t>(g.indices.size())));
    o.U32(static_cast<uint32_t>(g.faceNormals.size()));
    if (g.version >= 103 && g.version <= 199) o.U32(g.uvSets);
    if (g.version >= 102) o.U32(g.weightMode);
    if (g.version >= 200) o.PStr(g.chunkMaterialName);
    // At most eight sets of data, whatever count the header claims.
    const uint32_t sets = g.version >= 103 && g.version <= 199 ? std::min<uint32_t>(g.uvSets, 8) : 1;
    for (uint32_t i = 0; i < v; ++i) {
        o.Vec(g.positions[i]);
        for (uint32_t s = 0; s < sets; ++s) {
            o.F32(g.positions[i].x * 0.5f + static_cast<float>(s));
            o.F32(g.positions[i].y * 0.5f);
        }
    }
    for (uint16_t index : g.indices) o.U16(index);
    for (uint32_t i = 0; i < v; ++i) o.Vec({0, 0, 1});
    if (g.version >= 104 && g.version <= 199) {
        for (uint32_t i = 0; i < v; ++i) o.U32(i < g.colours.size() ? g.colours[i] : 0xFF102030u);
    }
    for (const V3& n : g.faceNormals) o.Vec(n);
    if (g.version >= 201 && (g.extraFlags & 1)) {
        for (uint32_t i = 0; i < v; ++i) o.Vec({1, 0, 0});
    }
    o.End(at);
}

inline void WriteBone(Out& o, const Bone& b) {
    const size_t at = o.Begin("BONE", b.version);
    o.PStr(b.name);
    o.Vec({});
    o.F32(0);
    o.F32(0);
    o.F32(0);
    o.F32(1);
    o.U32(static_cast<uint32_t>(b.children.size()));
    for (const Bone& child : b.children) WriteBone(o, child);
    o.End(at);
}

inline void WriteIdentity(Out& o) {
    for (int i = 0; i < 9; ++i) o.F32(i % 4 == 0 ? 1.0f : 0.0f);
}

inline void WriteInfluences(Out& o, const MeshSpec& spec) {
    const size_t at = o.Begin("INFL", 100);
    o.U32(spec.influenceCount.value_or(static_cast<uint32_t>(spec.influences->size())));
    for (const Influence& influence : *spec.influences) {
        o.PStr(influence.name);
        o.PStr(influence.parent);
        o.Vec(influence.position);
        WriteIdentity(o);
        o.U32(static_cast<uint32_t>(influence.groups.size()));
        for (const Group& group : influence.groups) {
            o.U32(group.chunk);
            o.U32(static_cast<uint32_t>(group.entries.size()));
            for (const Entry& entry : group.entries) {
                o.U32(entry.vertex);
                o.F32(entry.weight);
                o.Vec({});
            }
        }
    }
    o.End(at);
}

inline void WritePmin(Out& o, const Pmin& p) {
    const size_t at = o.Begin("PMIN", p.version);
    o.U32(static_cast<uint32_t>(p.positions.size()));
    o.U32(static_cast<uint32_t>(p.changes.size()));
    o.U32(static_cast<uint32_t>(p.chunkSteps.size()));
    o.U32(static_cast<uint32_t>(p.steps.size()));
    for (int32_t position : p.positions) o.U32(static_cast<uint32_t>(position));
    for (const auto& change : p.changes) {
        for (uint32_t value : change) o.U32(value);
    }
    for (const auto& chunkStep : p.chunkSteps) {
        o.U32(chunkStep[0]);
        o.U32(chunkStep[1]);
    }
    for (uint32_t step : p.steps) o.U32(step);
    o.End(at);
}

inline std::string WriteMesh(const MeshSpec& spec) {
    Out o;
    o.Tag("KIRF");
    o.U32(0);
    o.Tag("IDXM");
    const size_t info = o.Begin("INFO", spec.infoVersion);
    o.Vec(spec.position);
    o.F32(0);
    o.F32(0);
    o.F32(0);
    o.F32(1);
    o.U32(spec.chunkCount.value_or(static_cast<uint32_t>(spec.chunks.size())));
    if (spec.infoVersion >= 102) {
        o.U32(spec.maxWeights);
        o.U32(spec.maxBones);
    }
    if (spec.infoVersion == 104) {
        for (int i = 0; i < 6; ++i) o.F32(0);
    }
    o.End(info);
    for (const Chnk& chunk : spec.chunks) {
        const size_t at = o.Begin("CHNK", 100);
        o.U32(0);
        WriteMatl(o, chunk.matl);
        WriteGeom(o, chunk.geom);
        if (chunk.neighbours) {
            const size_t n = o.Begin("NINF", 100);
            for (const auto& face : *chunk.neighbours) {
                for (uint32_t value : face) o.U32(value);
            }
            o.End(n);
        }
        o.End(at);
    }
    if (spec.influences) WriteInfluences(o, spec);
    if (spec.skeleton) {
        const size_t at = o.Begin("SKEL", 100);
        WriteBone(o, *spec.skeleton);
        o.End(at);
    }
    if (spec.attachments) {
        const size_t at = o.Begin("ATCH", 100);
        o.U32(static_cast<uint32_t>(spec.attachments->size()));
        for (const Attachment& a : *spec.attachments) {
            o.PStr(a.name);
            WriteIdentity(o);
            o.Vec(a.position);
        }
        o.End(at);
    }
    if (spec.pmin) WritePmin(o, *spec.pmin);
    o.bytes += spec.trailing;
    const uint32_t size = static_cast<uint32_t>(o.bytes.size() - 8);
    std::memcpy(&o.bytes[4], &size, 4);
    return o.bytes;
}

}  // namespace meshtest
