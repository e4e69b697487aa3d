// Reading ".lm": INFO, the material table MATT, the optional bone table BONT, skeleton
// RBOT and attachments ATCH, then one MESH per level holding its optional influences LODB
// and its LCHK chunks (a material index, GEOM and optional NINF). Every chunk must end
// exactly where its size says; every count is checked against the bytes left.
#include <cstring>

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/lod_mesh_definition.h"
#include "content3d/mesh/mesh_chunk_header.h"
#include "content3d/mesh/mesh_file_values.h"
#include "content3d/mesh/mesh_paths.h"
#include "engine/display.h"
#include "engine/material.h"
#include "engine/material_manager.h"

namespace Kiv {

namespace {

constexpr uint64_t kMinNamedPartBytes = 4 + 4 + 1;
constexpr uint64_t kMinMaterialBytes = 12 + 4 + 4 + 4 + 4 + 48 + 4 + 4;
constexpr uint64_t kMinBoneRecordBytes = 4 + 4 + 12 + 36;
constexpr uint64_t kMinMeshBytes = 12 + 16;
constexpr uint64_t kMinLevelChunkBytes = 12 + 8;
constexpr uint64_t kMinGroupBytes = 8;
constexpr uint64_t kEntryBytes = 20;

int GeometryTypeOfKind(uint32_t kind) {
    switch (kind) {
    case 0: return 5;
    case 1: return 3;
    case 2: return 4;
    case 4: return 0;
    case 8: return 1;
    case 16: return 2;
    default: return -1;
    }
}

struct LevelGeometryCounts {
    uint32_t extraFlags = 0, vertices = 0, faces = 0, indices = 0, faceNormals = 0, weightMode = 0;
    bool HasTangents() const { return (extraFlags & 1) != 0; }
    uint64_t Bytes() const {
        const uint64_t v = vertices;
        return v * 20 + 2 * uint64_t{indices} + 12 * v + 12 * uint64_t{faceNormals} + (HasTangents() ? 12 * v : 0);
    }
};

}  // namespace

class LODBinaryReader {
public:
    LODBinaryReader(KodrinIndexedMeshLODDefinition& lod, MaterialManager* manager,
                    KodrinGeometryBaseResource* resource, uint32_t colour)
        : lod_(lod), file_(lod.file_), manager_(manager), resource_(resource), colour_(colour) {}

    int Read(const char* name);

private:
    int ReadInfo();
    int ReadMaterialTable();
    int ReadTableMaterial();
    int ReadBoneTable();
    int ReadSkeleton();
    int ReadMesh(uint32_t index);
    int ReadLevelInfluences(uint32_t index);
    int ReadLevelChunk(LODLevel& level);
    int ReadLevelGeometry(LODLevel& level);
    int ReadLevelNeighbours(GeometryChunk& chunk);
    void DropEmptyChunk(LODLevel& level);
    void RemapLevelGroups(uint32_t index);
    int EndsAt(const MeshChunkHeader& header) const {
        return !file_.Failed() && file_.Position() == header.end ? RES_OK : RES_FILE_FORMAT_ERROR;
    }

    KodrinIndexedMeshLODDefinition& lod_;
    MemoryFile& file_;
    MaterialManager* manager_;
    KodrinGeometryBaseResource* resource_;
    uint32_t colour_;
    // Chunk position in the level's file -> kept position (-1: dropped).
    std::vector<int32_t> keptPositions_;
};

int KodrinIndexedMeshLODDefinition::LoadBinary(Display* display, MaterialManager* manager,
                                               KodrinGeometryBaseResource* resource, const char* name,
                                               uint32_t defaultColour) {
    if (!manager) return RES_NO_MATERIAL_MANAGER;
    displaySkinningCapable_ = display && display->HasCapability(29);
    if (displaySkinningCapable_) bonesPerChunkLimit_ = 24;
    if (!file_.HasData()) return RES_FILE_OPEN_ERROR;
    LODBinaryReader reader(*this, manager, resource, defaultColour);
    const int result = reader.Read(name ? name : "");
    file_.Close();
    return result;
}

int LODBinaryReader::Read(const char* name) {
    if (!file_.ReadTag("KIRF")) return RES_FILE_FORMAT_ERROR;
    const uint32_t size = file_.U32();
    if (file_.Failed() || size > file_.Remaining()) return RES_FILE_FORMAT_ERROR;
    const size_t end = file_.Position() + size;
    if (!file_.ReadTag("LODM")) return RES_FILE_FORMAT_ERROR;
    int result = ReadInfo();
    if (result == RES_OK) result = ReadMaterialTable();
    if (result == RES_OK && file_.PeekTag("BONT")) result = ReadBoneTable();
    if (result == RES_OK && file_.PeekTag("RBOT")) result = ReadSkeleton();
    if (result == RES_OK && file_.PeekTag("ATCH")) result = lod_.ReadAttachments();
    if (result != RES_OK) return result;
    // Every bone gets an influence list for every level, written or not: more lists than
    // the file has bytes is refused (a bone takes at least 56 bytes, so a file of up to 56
    // levels always passes).
    if (uint64_t{lod_.boneTable_.size()} * lod_.levelCount_ > file_.Size()) return RES_FILE_FORMAT_ERROR;
    lod_.levels_.reserve(lod_.levelCount_);
    for (uint32_t i = 0; i < lod_.levelCount_; ++i) {
        lod_.levels_.emplace_back();
        if ((result = ReadMesh(i)) != RES_OK) return result;
    }
    if (lod_.distances_.empty()) return RES_FILE_FORMAT_ERROR;
    if (file_.Position() != end) return RES_FILE_FORMAT_ERROR;
    lod_.name_ = PString(FileNameOf(name));
    if (!lod_.boneTable_.empty()) lod_.BuildSkeletonFromBoneTable();
    lod_.BuildLevelInfluenceStreams();
    lod_.TakeLevelChunkSet(static_cast<uint32_t>(lod_.distances_.size() - 1));
    lod_.ComputeBounds();
    lod_.ComputeOrientedBox();
    lod_.ApplyCullMarkers();
    return RES_OK;
}

int LODBinaryReader::ReadInfo() {
    MeshChunkHeader header;
    if (!header.Read(file_, "INFO")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    lod_.position_ = ReadVector3(file_);
    lod_.orientation_ = {file_.F32(), file_.F32(), file_.F32(), file_.F32()};
    lod_.levelCount_ = file_.U32();
    lod_.calcPoint_ = file_.U32();
    lod_.offset_ = file_.F32();
    lod_.multiplier_ = file_.F32();
    lod_.animationCutOff_ = file_.F32();
    lod_.renderCutOff_ = file_.F32();
    lod_.attachmentCutOff_ = file_.F32();
    if (!file_.Fits(lod_.levelCount_, kMinMeshBytes)) return RES_FILE_FORMAT_ERROR;
    const uint32_t named = file_.U32();
    if (!file_.Fits(named, kMinNamedPartBytes)) return RES_FILE_FORMAT_ERROR;
    for (uint32_t i = 0; i < named; ++i) {
        LODNamedPart part;
        part.level = file_.U32();
        part.key = MeshFileSupport::ReadPaddedString(file_);
        const std::span<const uint8_t> animated = file_.Bytes(1);
        part.animated = !animated.empty() && animated[0] != 0;
        lod_.namedParts_.push_back(part);
    }
    return EndsAt(header);
}

int LODBinaryReader::ReadMaterialTable() {
    MeshChunkHeader header;
    if (!header.Read(file_, "MATT")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    const uint32_t count = file_.U32();
    if (!file_.Fits(count, kMinMaterialBytes)) return RES_FILE_FORMAT_ERROR;
    lod_.materials_.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const int result = ReadTableMaterial();
        if (result != RES_OK) return result;
    }
    return EndsAt(header);
}

int LODBinaryReader::ReadTableMaterial() {
    MeshChunkHeader header;
    if (!header.Read(file_, "MATL")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 103) return RES_FILE_VERSION_ERROR;
    MeshMaterialRecord record;
    std::string request(resource_ ? resource_->GetOwnerName().View() : std::string_view());
    request += '*';
    request += resource_ ? FolderOf(resource_->GetName().View()) : std::string_view();
    request += '*';
    request += MeshFileSupport::ReadPaddedString(file_).View();
    record.requestName = PString(request);
    const uint32_t properties = file_.U32();
    if (!file_.Fits(properties, 8)) return RES_FILE_FORMAT_ERROR;
    for (uint32_t i = 0; i < properties; ++i) {
        PString key = MeshFileSupport::ReadPaddedString(file_);
        record.properties.emplace_back(key, MeshFileSupport::ReadPaddedString(file_));
    }
    record.flag = file_.U32() != 0;
    record.opacity = file_.F32();
    for (Color& colour : record.display.colors) {
        colour.r = file_.F32();
        colour.g = file_.F32();
        colour.b = file_.F32();
    }
    Color& colour4 = record.display.colors[3];
    colour4 = {colour4.r * 0.5f, colour4.g * 0.5f, colour4.b * 0.5f, colour4.a * 0.5f};
    record.display.power = file_.F32();
    const uint32_t textures = file_.U32();
    if (!file_.Fits(textures, 12)) return RES_FILE_FORMAT_ERROR;
    for (uint32_t i = 0; i < textures; ++i) {
        TextureDef texture;
        texture.slot = file_.U32();
        texture.file = PlaceInResourceFolder(resource_, MeshFileSupport::ReadPaddedString(file_));
        texture.amount = file_.F32();
        record.textures.push_back(texture);
    }
    if (EndsAt(header) != RES_OK) return RES_FILE_FORMAT_ERROR;
    Material* material = nullptr;
    const int requested = manager_->RequestMaterial(record.requestName, &material);
    if (requested != MaterialManager::kOk || !material) {
        if (resource_) resource_->AddFailedMaterialName(record.requestName);
        return requested == MaterialManager::kUnsupported ? RES_UNSUPPORTED_MATERIAL : RES_UNKNOWN_MATERIAL;
    }
    if (resource_) material->SetResourcePriority(resource_->GetPriority());
    material->SetDisplayMaterialProperties(record.display);
    if (record.flag) material->flags |= 1u;
    material->opacityFactor = record.opacity;
    ResourceDatabase* database = resource_ ? resource_->GetDatabase() : nullptr;
    for (const TextureDef& texture : record.textures) {
        material->SetTexture(static_cast<int>(texture.slot), database, texture.file, texture.amount);
    }
    for (const auto& [key, value] : record.properties) material->AddProperty(key, value);
    lod_.materials_.push_back(material);
    lod_.KeepStoredMaterialName(material, record.requestName);
    return RES_OK;
}

int LODBinaryReader::ReadBoneTable() {
    MeshChunkHeader header;
    if (!header.Read(file_, "BONT")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    const uint32_t count = file_.U32();
    if (!file_.Fits(count, kMinBoneRecordBytes)) return RES_FILE_FORMAT_ERROR;
    lod_.boneTable_.resize(count);
    for (LODBone& bone : lod_.boneTable_) {
        bone.name = std::string(MeshFileSupport::ReadPaddedString(file_).View());
        bone.parent = std::string(MeshFileSupport::ReadPaddedString(file_).View());
        bone.position = ReadVector3(file_);
        bone.rotation = ReadMatrix3(file_);
    }
    return EndsAt(header);
}

int LODBinaryReader::ReadSkeleton() {
    MeshChunkHeader header;
    if (!header.Read(file_, "RBOT")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    const uint32_t count = file_.U32();
    if (!file_.Fits(count, kMinBoneRecordBytes)) return RES_FILE_FORMAT_ERROR;
    ParticleBone*& root = lod_.skeletonRoot_;
    for (uint32_t i = 0; i < count; ++i) {
        auto bone = std::make_unique<ParticleBone>(MeshFileSupport::ReadPaddedString(file_));
        const PString parent = MeshFileSupport::ReadPaddedString(file_);
        const Vector3 position = ReadVector3(file_);
        bone->SetRest(position, Matrix3ToQuaternion(ReadMatrix3(file_)));
        bone->boxMin = {-0.01f, -0.01f, -0.01f};
        bone->boxMax = {0.01f, 0.01f, 0.01f};
        if (file_.Failed()) return RES_FILE_FORMAT_ERROR;
        if (parent.IsEmpty()) {
            if (root) {
                root->AddChild(bone.release());
            } else {
                root = bone.release();
            }
            continue;
        }
        if (!root) return RES_FILE_FORMAT_ERROR;
        Particle* found = root->GetName() == parent ? root : root->FindByName(parent);
        (found ? found : root)->AddChild(bone.release());
    }
    return EndsAt(header);
}

int LODBinaryReader::ReadMesh(uint32_t index) {
    MeshChunkHeader header;
    if (!header.Read(file_, "MESH")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    if (header.end > file_.Size()) return RES_FILE_FORMAT_ERROR;
    const uint32_t chunks = file_.U32();
    lod_.maxWeightsPerVertex_ = file_.U32();
    lod_.maxBonesPerChunk_ = file_.U32();
    const float distance = file_.F32();
    if (!file_.Fits(chunks, kMinLevelChunkBytes)) return RES_FILE_FORMAT_ERROR;
    lod_.hardwareSkinning_ = false;
    lod_.DecideHardwareSkinning();
    LODLevel& level = lod_.levels_[index];
    level.hardwareSkinned = lod_.hardwareSkinning_;
    std::vector<float>& distances = lod_.distances_;
    if (distance != -1.0f) {
        if (!distances.empty() && distance < distances.back()) return RES_FILE_FORMAT_ERROR;
        distances.push_back(distance);
        if (distances.size() != size_t{index} + 1) return RES_FILE_FORMAT_ERROR;
    } else {
        bool named = false;
        for (const LODNamedPart& part : lod_.namedParts_) named = named || part.level == index;
        if (!named) return RES_FILE_FORMAT_ERROR;
    }
    level.chunks.reserve(chunks);
    level.materials.reserve(chunks);
    int result = file_.PeekTag("LODB") ? ReadLevelInfluences(index) : RES_OK;
    if (result != RES_OK) return result;
    keptPositions_.clear();
    for (uint32_t c = 0; c < chunks; ++c) {
        if ((result = ReadLevelChunk(level)) != RES_OK) return result;
        GeometryChunk* chunk = level.chunks.back();
        const bool empty = chunk->GetVertexCount() == 0 || chunk->GetPrimitiveCount() == 0 || chunk->GetIndexCount() == 0;
        keptPositions_.push_back(empty ? -1 : static_cast<int32_t>(level.chunkCount));
        if (empty) {
            DropEmptyChunk(level);
            continue;
        }
        ++level.chunkCount;
        level.vertexCount += static_cast<uint32_t>(chunk->GetVertexCount());
        level.faceCount += static_cast<uint32_t>(chunk->GetPrimitiveCount());
    }
    RemapLevelGroups(index);
    return EndsAt(header);
}

int LODBinaryReader::ReadLevelInfluences(uint32_t index) {
    MeshChunkHeader header;
    if (!header.Read(file_, "LODB")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    for (LODBone& bone : lod_.boneTable_) {
        bone.levelInfluences.resize(index);
        LODInfluenceList& list = bone.levelInfluences.emplace_back();
        const uint32_t groups = file_.U32();
        if (!file_.Fits(groups, kMinGroupBytes)) return RES_FILE_FORMAT_ERROR;
        for (uint32_t g = 0; g < groups; ++g) {
            InfluenceGroup group;
            group.chunkIndex = file_.U32();
            const uint32_t entries = file_.U32();
            if (!file_.Fits(entries, kEntryBytes)) return RES_FILE_FORMAT_ERROR;
            const std::span<const uint8_t> block = file_.Bytes(size_t{entries} * kEntryBytes);
            group.entries.resize(entries);
            for (uint32_t e = 0; e < entries; ++e) {
                InfluenceEntry& entry = group.entries[e];
                std::memcpy(&entry.vertex, &block[e * kEntryBytes], 4);
                std::memcpy(&entry.weight, &block[e * kEntryBytes + 4], 4);
                std::memcpy(&entry.offset, &block[e * kEntryBytes + 8], 12);
            }
            if (!group.entries.empty()) list.groups.push_back(std::move(group));
        }
    }
    return EndsAt(header);
}

void LODBinaryReader::RemapLevelGroups(uint32_t index) {
    for (LODBone& bone : lod_.boneTable_) {
        if (bone.levelInfluences.size() <= index) bone.levelInfluences.resize(size_t{index} + 1);
        std::vector<InfluenceGroup>& groups = bone.levelInfluences[index].groups;
        std::vector<InfluenceGroup> kept;
        for (InfluenceGroup& group : groups) {
            if (group.chunkIndex >= keptPositions_.size() || keptPositions_[group.chunkIndex] < 0) continue;
            group.chunkIndex = static_cast<uint32_t>(keptPositions_[group.chunkIndex]);
            kept.push_back(std::move(group));
        }
        groups = std::move(kept);
    }
}

int LODBinaryReader::ReadLevelChunk(LODLevel& level) {
    MeshChunkHeader header;
    if (!header.Read(file_, "LCHK")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    if (header.end > file_.Size()) return RES_FILE_FORMAT_ERROR;
    file_.U32();
    const uint32_t material = file_.U32();
    if (file_.Failed() || material >= lod_.materials_.size()) return RES_FILE_FORMAT_ERROR;
    level.materials.push_back(lod_.materials_[material]);
    level.materials.back()->AddReference();
    const int result = ReadLevelGeometry(level);
    if (result != RES_OK) return result;
    if (file_.Position() < header.end) {
        const int neighbours = ReadLevelNeighbours(*level.chunks.back());
        if (neighbours != RES_OK) return neighbours;
    }
    return EndsAt(header);
}

int LODBinaryReader::ReadLevelGeometry(LODLevel& level) {
    MeshChunkHeader header;
    if (!header.Read(file_, "GEOM")) return RES_FILE_FORMAT_ERROR;
    if (header.version < 101 || header.version > 201) return RES_FILE_VERSION_ERROR;
    if (header.end > file_.Size()) return RES_FILE_FORMAT_ERROR;
    const uint32_t flags = file_.U32();
    LevelGeometryCounts c;
    if (header.version >= 201) c.extraFlags = file_.U32();
    const int geometryType = GeometryTypeOfKind(flags & 31);
    if (geometryType < 0) return RES_FILE_FORMAT_ERROR;
    const float hintValue = file_.F32();
    c.vertices = file_.U32();
    c.faces = file_.U32();
    c.indices = file_.U32();
    c.faceNormals = file_.U32();
    if (header.version >= 102) c.weightMode = file_.U32();
    const PString chunkMaterialName = header.version >= 103 ? MeshFileSupport::ReadPaddedString(file_) : PString();
    if (file_.Failed() || c.Bytes() > file_.Remaining() || c.faces > INT32_MAX || c.vertices > 65536) {
        return RES_FILE_FORMAT_ERROR;
    }
    lod_.hardwareSkinning_ = level.hardwareSkinned;
    ChunkHint hint = lod_.MakeChunkHint(resource_, c.weightMode, false);
    hint.meshValue = hintValue;
    hint.texCoordSets = 1;
    GeometryChunk* chunk = level.materials.back()->CreateGeometryChunk(
        static_cast<int>(c.vertices), static_cast<int>(c.faces), static_cast<int>(c.indices),
        static_cast<int>(c.faceNormals), geometryType, hint);
    if (!chunk) return RES_FILE_FORMAT_ERROR;
    level.chunks.push_back(chunk);
    level.materialNames.push_back(chunkMaterialName);
    const uint32_t v = c.vertices;
    if (level.hardwareSkinned && c.weightMode != 0 && !lod_.FillBlendStreams(*chunk, chunk->GetHint())) {
        return RES_FAIL_CHUNK_CREATE;
    }
    float* positions = chunk->GetFloatItem(kItemPosition);
    if (v > 0 && !positions) return RES_FAIL_CHUNK_CREATE;
    float* uv = chunk->GetFloatItem(kItemTexCoord0);
    const std::span<const uint8_t> block = file_.Bytes(size_t{v} * 20);
    for (uint32_t i = 0; i < v; ++i) {
        std::memcpy(positions + 3 * i, block.data() + i * 20, 12);
        if (uv) std::memcpy(uv + 2 * i, block.data() + i * 20 + 12, 8);
    }
    if (uint32_t* colours = chunk->GetWordItem(kItemColor)) {
        for (uint32_t i = 0; i < v; ++i) colours[i] = colour_;
    }
    if (c.indices > 0) {
        uint16_t* indices = chunk->GetIndices();
        if (!indices) return RES_FAIL_CHUNK_CREATE;
        std::memcpy(indices, file_.Bytes(size_t{c.indices} * 2).data(), size_t{c.indices} * 2);
        for (uint32_t i = 0; i < c.indices; ++i) {
            if (indices[i] >= v) return RES_FILE_FORMAT_ERROR;
        }
    }
    const std::span<const uint8_t> normals = file_.Bytes(size_t{v} * 12);
    if (float* stream = chunk->GetFloatItem(kItemNormal); stream && v > 0) std::memcpy(stream, normals.data(), normals.size());
    if (c.faceNormals > 0) {
        Vector3* faceNormals = chunk->GetFaceNormals();
        const std::span<const uint8_t> block3 = file_.Bytes(size_t{c.faceNormals} * 12);
        if (!faceNormals) return RES_FAIL_CHUNK_CREATE;
        std::memcpy(&faceNormals[0].x, block3.data(), block3.size());
    }
    if (c.HasTangents() && v > 0) {
        const std::span<const uint8_t> tangents = file_.Bytes(size_t{v} * 12);
        if (float* stream = chunk->GetFloatItem(kItemTangent)) std::memcpy(stream, tangents.data(), tangents.size());
    }
    return EndsAt(header);
}

int LODBinaryReader::ReadLevelNeighbours(GeometryChunk& chunk) {
    MeshChunkHeader header;
    if (!header.Read(file_, "NINF")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    const uint32_t faces = static_cast<uint32_t>(chunk.GetPrimitiveCount());
    if (!file_.Fits(faces, 12)) return RES_FILE_FORMAT_ERROR;
    std::vector<GeometryChunk::FaceNeighbors> neighbors(faces);
    for (GeometryChunk::FaceNeighbors& face : neighbors) {
        for (uint32_t& neighbour : face) neighbour = file_.U32();
    }
    chunk.SetFaceNeighbors(std::move(neighbors));
    return EndsAt(header);
}

void LODBinaryReader::DropEmptyChunk(LODLevel& level) {
    level.chunks.back()->ReleaseReference();
    level.chunks.pop_back();
    level.materials.back()->ReleaseReference();
    level.materials.pop_back();
    level.materialNames.pop_back();
}

}  // namespace Kiv
