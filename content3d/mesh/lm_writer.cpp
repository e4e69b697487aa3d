// Writing ".lm": the definition's levels with their geometry, the distinct materials of all
// levels as one table, the bone table (or else the skeleton), the attachments with their
// ":Cull" markers restored, and each level's influences.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "content3d/mesh/lod_mesh_definition.h"
#include "engine/file.h"
#include "engine/material.h"

namespace Kiv {

namespace {

constexpr int kTextureSlots = 16;

class ByteOut {
public:
    explicit ByteOut(std::string& bytes) : bytes_(bytes) {}
    void U32(uint32_t v) {
        for (int s = 0; s < 32; s += 8) bytes_.push_back(static_cast<char>(v >> s & 0xFF));
    }
    void U16(uint16_t v) {
        bytes_.push_back(static_cast<char>(v & 0xFF));
        bytes_.push_back(static_cast<char>(v >> 8));
    }
    void Byte(uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
    void F32(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        U32(v);
    }
    void Floats(const float* values, size_t count) {
        for (size_t i = 0; i < count; ++i) F32(values ? values[i] : 0.0f);
    }
    void Vec(const Vector3& v) {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    void Tag(const char* tag) { bytes_.append(tag, 4); }
    size_t Size() const { return bytes_.size(); }
    void PStr(std::string_view text) { MeshFileSupport::WritePaddedString(bytes_, text); }
    size_t Begin(const char* tag, uint32_t version) {
        const size_t at = bytes_.size();
        Tag(tag);
        U32(0);
        U32(version);
        return at;
    }
    void End(size_t at) {
        const uint32_t size = static_cast<uint32_t>(bytes_.size() - (at + 8));
        std::memcpy(&bytes_[at + 4], &size, 4);
    }

private:
    std::string& bytes_;
};

// Per chunk of a level: the most influences on one vertex, and the bones that touch it.
struct ChunkInfluence {
    uint32_t maxPerVertex = 0;
    uint32_t bones = 0;
};

}  // namespace

class LODBinaryWriter {
public:
    LODBinaryWriter(const KodrinIndexedMeshLODDefinition& lod, std::string& bytes) : lod_(lod), out_(bytes) {}
    void Write();

private:
    void WriteInfo();
    void WriteMaterialTable();
    void WriteTableMaterial(const Material& material);
    void WriteBoneTable();
    void WriteSkeleton();
    void WriteSkeletonNode(const ParticleBone& bone, const std::string& parent);
    void WriteAttachments();
    void WriteMesh(uint32_t index);
    void WriteLevelInfluences(uint32_t index);
    void WriteLevelChunk(const LODLevel& level, uint32_t c, uint32_t weightMode);
    void WriteLevelGeometry(const LODLevel& level, uint32_t c, uint32_t weightMode);
    std::vector<ChunkInfluence> MeasureInfluences(uint32_t index) const;

    const KodrinIndexedMeshLODDefinition& lod_;
    ByteOut out_;
    std::vector<const Material*> table_;
};

int KodrinIndexedMeshLODDefinition::Write(std::string& out) const {
    if (levels_.empty()) return 1;
    LODBinaryWriter(*this, out).Write();
    return 0;
}

int KodrinIndexedMeshLODDefinition::Write(File& file) const {
    std::string bytes;
    const int result = Write(bytes);
    if (result == 0) file.Write(bytes.data(), 1, bytes.size());
    return result;
}

void LODBinaryWriter::Write() {
    const size_t mark = out_.Size();
    out_.Tag("KIRF");
    out_.U32(0);
    out_.Tag("LODM");
    WriteInfo();
    WriteMaterialTable();
    if (!lod_.boneTable_.empty()) {
        WriteBoneTable();
    } else if (lod_.skeletonRoot_) {
        WriteSkeleton();
    }
    if (!lod_.attachments_.empty()) WriteAttachments();
    for (uint32_t i = 0; i < lod_.levels_.size(); ++i) WriteMesh(i);
    out_.End(mark);
}

void LODBinaryWriter::WriteInfo() {
    const size_t at = out_.Begin("INFO", 100);
    out_.Vec(lod_.position_);
    out_.F32(lod_.orientation_.x);
    out_.F32(lod_.orientation_.y);
    out_.F32(lod_.orientation_.z);
    out_.F32(lod_.orientation_.w);
    out_.U32(static_cast<uint32_t>(lod_.levels_.size()));
    out_.U32(lod_.calcPoint_);
    out_.F32(lod_.offset_);
    out_.F32(lod_.multiplier_);
    out_.F32(lod_.animationCutOff_);
    out_.F32(lod_.renderCutOff_);
    out_.F32(lod_.attachmentCutOff_);
    out_.U32(static_cast<uint32_t>(lod_.namedParts_.size()));
    for (const LODNamedPart& part : lod_.namedParts_) {
        out_.U32(part.level);
        out_.PStr(part.key.View());
        out_.Byte(part.animated ? 1 : 0);
    }
    out_.End(at);
}

void LODBinaryWriter::WriteMaterialTable() {
    for (const LODLevel& level : lod_.levels_) {
        for (const Material* material : level.materials) {
            if (std::find(table_.begin(), table_.end(), material) == table_.end()) table_.push_back(material);
        }
    }
    const size_t at = out_.Begin("MATT", 100);
    out_.U32(static_cast<uint32_t>(table_.size()));
    for (const Material* material : table_) WriteTableMaterial(*material);
    out_.End(at);
}

void LODBinaryWriter::WriteTableMaterial(const Material& material) {
    const size_t at = out_.Begin("MATL", 103);
    out_.PStr(lod_.StoredMaterialName(&material).View());
    out_.U32(static_cast<uint32_t>(material.GetProperties().size()));
    for (const auto& [key, value] : material.GetProperties()) {
        out_.PStr(key.View());
        out_.PStr(value.View());
    }
    out_.U32(material.flags & 1u);
    out_.F32(material.opacityFactor);
    const DisplayMaterial display = material.GetDisplayMaterialProperties();
    for (int i = 0; i < 4; ++i) {
        const float scale = i == 3 ? 2.0f : 1.0f;
        out_.F32(display.colors[i].r * scale);
        out_.F32(display.colors[i].g * scale);
        out_.F32(display.colors[i].b * scale);
    }
    out_.F32(display.power);
    std::vector<std::pair<int, const Material::TextureDefinition*>> textures;
    for (int slot = 0; slot < kTextureSlots; ++slot) {
        if (const Material::TextureDefinition* texture = material.GetTextureDefinition(slot)) textures.emplace_back(slot, texture);
    }
    out_.U32(static_cast<uint32_t>(textures.size()));
    for (const auto& [slot, texture] : textures) {
        out_.U32(static_cast<uint32_t>(slot));
        const std::string_view file = texture->name.View();
        const size_t slash = file.find_last_of("/\\");
        out_.PStr(slash == std::string_view::npos ? file : file.substr(slash + 1));
        out_.F32(texture->amount);
    }
    out_.End(at);
}

void LODBinaryWriter::WriteBoneTable() {
    const size_t at = out_.Begin("BONT", 100);
    out_.U32(static_cast<uint32_t>(lod_.boneTable_.size()));
    for (const LODBone& bone : lod_.boneTable_) {
        out_.PStr(bone.name);
        out_.PStr(bone.parent);
        out_.Vec(bone.position);
        out_.Floats(bone.rotation.data(), 9);
    }
    out_.End(at);
}

namespace {

uint32_t CountBones(const Particle& node) {
    if (node.GetTypeId() != ParticleBone::kTypeId) return 0;
    uint32_t count = 1;
    for (const Particle* child : node.GetChildren()) count += CountBones(*child);
    return count;
}

}  // namespace

void LODBinaryWriter::WriteSkeleton() {
    const size_t at = out_.Begin("RBOT", 100);
    out_.U32(CountBones(*lod_.skeletonRoot_));
    WriteSkeletonNode(*lod_.skeletonRoot_, std::string());
    out_.End(at);
}

void LODBinaryWriter::WriteSkeletonNode(const ParticleBone& bone, const std::string& parent) {
    out_.PStr(bone.GetName().View());
    out_.PStr(parent);
    out_.Vec(bone.position);
    const Matrix3 rotation = QuaternionToMatrix3(bone.orientation);
    out_.Floats(rotation.data(), 9);
    const std::string name(bone.GetName().View());
    for (const Particle* child : bone.GetChildren()) {
        if (child->GetTypeId() == ParticleBone::kTypeId) WriteSkeletonNode(static_cast<const ParticleBone&>(*child), name);
    }
}

void LODBinaryWriter::WriteAttachments() {
    const size_t at = out_.Begin("ATCH", 100);
    out_.U32(static_cast<uint32_t>(lod_.attachments_.size()));
    for (const MeshAttachment& attachment : lod_.attachments_) {
        std::string name(attachment.name.View());
        if (lod_.IsAttachmentCulled(attachment.name)) name += ":Cull";
        out_.PStr(name);
        out_.Floats(attachment.rotation.data(), 9);
        out_.Vec(attachment.position);
    }
    out_.End(at);
}

std::vector<ChunkInfluence> LODBinaryWriter::MeasureInfluences(uint32_t index) const {
    const LODLevel& level = lod_.levels_[index];
    std::vector<ChunkInfluence> chunks(level.chunkCount);
    std::vector<std::map<uint32_t, uint32_t>> perVertex(level.chunkCount);
    for (const LODBone& bone : lod_.boneTable_) {
        if (index >= bone.levelInfluences.size()) continue;
        std::set<uint32_t> touched;
        for (const InfluenceGroup& group : bone.levelInfluences[index].groups) {
            if (group.chunkIndex >= level.chunkCount) continue;
            touched.insert(group.chunkIndex);
            for (const InfluenceEntry& entry : group.entries) {
                const uint32_t count = ++perVertex[group.chunkIndex][entry.vertex];
                chunks[group.chunkIndex].maxPerVertex = std::max(chunks[group.chunkIndex].maxPerVertex, count);
            }
        }
        for (uint32_t c : touched) ++chunks[c].bones;
    }
    return chunks;
}

void LODBinaryWriter::WriteMesh(uint32_t index) {
    const LODLevel& level = lod_.levels_[index];
    const std::vector<ChunkInfluence> influence = MeasureInfluences(index);
    uint32_t maxWeights = 0, maxBones = 0;
    for (const ChunkInfluence& chunk : influence) {
        maxWeights = std::max(maxWeights, chunk.maxPerVertex);
        maxBones = std::max(maxBones, chunk.bones);
    }
    const size_t at = out_.Begin("MESH", 100);
    out_.U32(level.chunkCount);
    out_.U32(maxWeights);
    out_.U32(maxBones);
    out_.F32(index < lod_.distances_.size() ? lod_.distances_[index] : -1.0f);
    if (!lod_.boneTable_.empty()) WriteLevelInfluences(index);
    for (uint32_t c = 0; c < level.chunkCount; ++c) WriteLevelChunk(level, c, influence[c].maxPerVertex);
    out_.End(at);
}

void LODBinaryWriter::WriteLevelInfluences(uint32_t index) {
    const size_t at = out_.Begin("LODB", 100);
    for (const LODBone& bone : lod_.boneTable_) {
        if (index >= bone.levelInfluences.size()) {
            out_.U32(0);
            continue;
        }
        const std::vector<InfluenceGroup>& groups = bone.levelInfluences[index].groups;
        out_.U32(static_cast<uint32_t>(groups.size()));
        for (const InfluenceGroup& group : groups) {
            out_.U32(group.chunkIndex);
            out_.U32(static_cast<uint32_t>(group.entries.size()));
            for (const InfluenceEntry& entry : group.entries) {
                out_.U32(entry.vertex);
                out_.F32(entry.weight);
                out_.Vec(entry.offset);
            }
        }
    }
    out_.End(at);
}

void LODBinaryWriter::WriteLevelChunk(const LODLevel& level, uint32_t c, uint32_t weightMode) {
    const size_t at = out_.Begin("LCHK", 100);
    out_.U32(c);
    const auto found = std::find(table_.begin(), table_.end(), level.materials[c]);
    out_.U32(found == table_.end() ? 0xFFFFFFFFu : static_cast<uint32_t>(found - table_.begin()));
    WriteLevelGeometry(level, c, weightMode);
    const GeometryChunk* chunk = level.chunks[c];
    if (chunk->GetPrimitiveCount() > 0 && !chunk->GetFaceNeighbors().empty()) {
        const size_t neighbours = out_.Begin("NINF", 100);
        const auto& faces = chunk->GetFaceNeighbors();
        for (int f = 0; f < chunk->GetPrimitiveCount(); ++f) {
            for (uint32_t n : static_cast<size_t>(f) < faces.size() ? faces[static_cast<size_t>(f)]
                                                                     : GeometryChunk::FaceNeighbors{0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}) {
                out_.U32(n);
            }
        }
        out_.End(neighbours);
    }
    out_.End(at);
}

void LODBinaryWriter::WriteLevelGeometry(const LODLevel& level, uint32_t c, uint32_t weightMode) {
    const size_t at = out_.Begin("GEOM", 201);
    GeometryChunk* chunk = level.chunks[c];
    const uint32_t kind = chunk->GetPrimitiveKind();
    const float* tangents = chunk->GetFloatItem(kItemTangent);
    const uint32_t v = static_cast<uint32_t>(chunk->GetVertexCount());
    const uint32_t faceNormals = (kind & 3) != 0 ? 0 : static_cast<uint32_t>(chunk->GetFaceNormalCount());
    out_.U32(kind);
    out_.U32(tangents ? 1 : 0);
    out_.F32(chunk->GetHint().meshValue);
    out_.U32(v);
    out_.U32(static_cast<uint32_t>(chunk->GetPrimitiveCount()));
    out_.U32(static_cast<uint32_t>(chunk->GetIndexCount()));
    out_.U32(faceNormals);
    out_.U32(weightMode);
    out_.PStr(c < level.materialNames.size() ? level.materialNames[c].View() : std::string_view());
    const float* positions = chunk->GetFloatItem(kItemPosition);
    const float* uv = chunk->GetFloatItem(kItemTexCoord0);
    for (uint32_t i = 0; i < v; ++i) {
        out_.Floats(positions ? positions + 3 * i : nullptr, 3);
        out_.Floats(uv ? uv + 2 * i : nullptr, 2);
    }
    const uint16_t* indices = chunk->GetIndices();
    for (int i = 0; i < chunk->GetIndexCount(); ++i) out_.U16(indices[i]);
    const float* normals = chunk->GetFloatItem(kItemNormal);
    for (uint32_t i = 0; i < v; ++i) out_.Floats(normals ? normals + 3 * i : nullptr, 3);
    const Vector3* faces = chunk->GetFaceNormals();
    for (uint32_t i = 0; i < faceNormals; ++i) out_.Vec(faces[i]);
    for (uint32_t i = 0; tangents && i < v; ++i) out_.Floats(tangents + 3 * i, 3);
    out_.End(at);
}

}  // namespace Kiv
