// Reading the "imtxt" layout out of a configuration tree.
#include "engine/geometry_config_data.h"

#include <charconv>
#include <cmath>

namespace Kiv {

namespace {

// n numbers from item; false when there are not exactly n finite ones.
bool Numbers(const ConfigData& item, size_t n, std::vector<float>& values) {
    if (!item.AsFloats(values) || values.size() != n) return false;
    for (float v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

bool ReadVector3(const ConfigData& item, Vector3& v) {
    std::vector<float> f;
    if (!Numbers(item, 3, f)) return false;
    v = {f[0], f[1], f[2]};
    return true;
}

bool ReadVector4(const ConfigData& item, Vector4& v) {
    std::vector<float> f;
    if (!Numbers(item, 4, f)) return false;
    v = {f[0], f[1], f[2], f[3]};
    return true;
}

bool ReadWord(const ConfigData& item, uint32_t& value) {
    std::string_view text = item.AsText();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// Calls visit with every item called name of node, in order; stops at the first false.
template <typename Visit>
bool ForEach(const ConfigData& node, std::string_view name, Visit visit) {
    for (const auto& child : node.GetChildren()) {
        if (child->GetName().View() == name && !visit(*child)) return false;
    }
    return true;
}

// An optional item: absent leaves the value, present must read.
template <typename T, typename Reader>
bool Optional(const ConfigData& parent, const char* name, T& value, Reader read) {
    const ConfigData& item = parent.Get(name);
    return item.IsMissing() || read(item, value);
}

bool ReadColour(const ConfigData& item, Color& colour) {
    Vector4 v;
    if (!ReadVector4(item, v)) return false;
    colour = {v.x, v.y, v.z, v.w};
    return true;
}

bool ReadMaterial(const ConfigData& node, ConfigMaterial& m) {
    m.name = node.Get("name").AsPString();
    m.flag = node.Get("flag").AsBool(false);
    m.opacity = node.Get("opacity").AsFloat(1.0f);
    m.display.power = node.Get("power").AsFloat(0.0f);
    const char* colours[] = {"colour1", "colour2", "colour3", "colour4"};
    for (int i = 0; i < 4; ++i) {
        if (!Optional(node, colours[i], m.display.colors[i], ReadColour)) return false;
    }
    ForEach(node, "property", [&](const ConfigData& p) {
        m.properties.emplace_back(p.Get("key").AsPString(), p.Get("value").AsPString());
        return true;
    });
    return ForEach(node, "texture", [&](const ConfigData& t) {
        ConfigTexture texture;
        texture.file = t.Get("file").AsPString();
        texture.amount = t.Get("amount").AsFloat(1.0f);
        m.textures.push_back(texture);
        return Optional(t, "slot", m.textures.back().slot, ReadWord);
    });
}

// Every item called name of node read into list by read.
template <typename T, typename Reader>
bool ReadList(const ConfigData& node, const char* name, std::vector<T>& list, Reader read) {
    list.clear();
    return ForEach(node, name, [&](const ConfigData& item) {
        list.emplace_back();
        return read(item, list.back());
    });
}

bool ReadUv(const ConfigData& item, std::array<float, 2>& uv) {
    std::vector<float> f;
    if (!Numbers(item, 2, f)) return false;
    uv = {f[0], f[1]};
    return true;
}

bool ReadTriangles(const ConfigData& node, size_t vertices, std::vector<uint16_t>& indices) {
    std::vector<float> f;
    return ForEach(node, "triangle", [&](const ConfigData& item) {
        if (!Numbers(item, 3, f)) return false;
        for (float v : f) {
            if (v < 0 || v != std::floor(v) || v >= static_cast<float>(vertices)) return false;
            indices.push_back(static_cast<uint16_t>(v));
        }
        return true;
    });
}

bool ReadChunk(const ConfigData& node, bool withNormals, bool withColours, bool withFaceNormals, ConfigChunk& c) {
    if (!ReadMaterial(node.Get("material"), c.material)) return false;
    if (!Optional(node, "weightMode", c.weightMode, ReadWord) || c.weightMode > 4) return false;
    if (!ReadList(node, "vertex", c.positions, ReadVector3) || c.positions.size() > 65536) return false;
    const size_t v = c.positions.size();
    const auto perVertex = [v](size_t n) { return n == 0 || n == v; };
    if (withNormals && (!ReadList(node, "normal", c.normals, ReadVector3) || !perVertex(c.normals.size()))) return false;
    for (size_t set = 0; set < GeometryConfigData::kMaxUvSets; ++set) {
        const std::string name = set == 0 ? "uv" : "uv" + std::to_string(set);
        std::vector<std::array<float, 2>> uvs;
        if (!ReadList(node, name.c_str(), uvs, ReadUv) || !perVertex(uvs.size())) return false;
        if (uvs.empty()) break;
        c.uvSets.push_back(std::move(uvs));
    }
    if (withColours && (!ReadList(node, "colour", c.colours, ReadWord) || !perVertex(c.colours.size()) ||
                        !ReadList(node, "colour2", c.colours2, ReadWord) || !perVertex(c.colours2.size()))) {
        return false;
    }
    if (withFaceNormals && !ReadList(node, "faceNormal", c.faceNormals, ReadVector3)) return false;
    return ReadTriangles(node, v, c.indices);
}

bool ReadInfluence(const ConfigData& node, const std::vector<ConfigChunk>& chunks, ConfigInfluence& influence) {
    influence.name = node.Get("name").AsPString();
    influence.parentName = node.Get("parent").AsPString();
    if (!Optional(node, "position", influence.position, ReadVector3) ||
        !Optional(node, "rotation", influence.rotation, ReadVector4)) {
        return false;
    }
    std::vector<float> f;
    return ForEach(node, "group", [&](const ConfigData& groupNode) {
        InfluenceGroup group;
        if (!ReadWord(groupNode.Get("chunk"), group.chunkIndex) || group.chunkIndex >= chunks.size()) return false;
        const float vertices = static_cast<float>(chunks[group.chunkIndex].positions.size());
        const bool ok = ForEach(groupNode, "entry", [&](const ConfigData& entry) {
            if (!Numbers(entry, 5, f) || f[0] < 0 || f[0] >= vertices || f[0] != std::floor(f[0])) return false;
            group.entries.push_back({static_cast<uint32_t>(f[0]), f[1], {f[2], f[3], f[4]}});
            return true;
        });
        if (!group.entries.empty()) influence.groups.push_back(std::move(group));
        return ok;
    });
}

bool ReadAttachment(const ConfigData& node, ConfigAttachment& attachment) {
    attachment.name = node.Get("name").AsPString();
    return Optional(node, "rotation", attachment.rotation, ReadVector4) &&
           Optional(node, "position", attachment.position, ReadVector3);
}

}  // namespace

size_t GeometryConfigData::GetVertexTotal() const {
    size_t total = 0;
    for (const ConfigChunk& chunk : chunks) total += chunk.positions.size();
    return total;
}

bool GeometryConfigData::LoadConfigData(const ConfigData& root, bool withNormals, bool withColours,
                                        bool withFaceNormals, const char* name) {
    *this = GeometryConfigData();
    fileName = PString(name);
    bool ok = Optional(root, "position", position, ReadVector3) &&
              Optional(root, "orientation", orientation, ReadVector4) &&
              Optional(root, "maxWeightsPerVertex", maxWeightsPerVertex, ReadWord) &&
              Optional(root, "maxBonesPerChunk", maxBonesPerChunk, ReadWord);
    ok = ok && ForEach(root, "chunk", [&](const ConfigData& node) {
        chunks.emplace_back();
        return ReadChunk(node, withNormals, withColours, withFaceNormals, chunks.back());
    });
    ok = ok && ForEach(root, "influence", [&](const ConfigData& node) {
        influences.emplace_back();
        return ReadInfluence(node, chunks, influences.back());
    });
    ok = ok && ReadList(root, "attachment", attachments, ReadAttachment);
    if (!ok) {
        *this = GeometryConfigData();
        fileName = PString(name);
    }
    return ok;
}

}  // namespace Kiv
