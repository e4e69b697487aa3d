// The text mesh ("imtxt", a part of LOD meshes): parsed by the engine's ConfigParser into
// GeometryConfigData, then built chunk by chunk like a binary mesh. Its materials get the
// power x 128 of the text form and, when undecorated, a name of their own; its chunks are
// made with geometry type 0 and, when skinned by the display, the chunk's own weight count.
#include <cstring>

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/indexed_mesh_definition.h"
#include "content3d/mesh/mesh_paths.h"
#include "engine/display.h"
#include "engine/material_manager.h"
#include "engine/resource_database.h"

namespace Kiv {

namespace {

// The file name of path without its extension.
std::string BaseName(std::string_view path) {
    const std::string_view name = FileNameOf(path);
    return std::string(name.substr(0, name.rfind('.')));
}

bool HasDecoration(const PString& name) {
    return name.ToLower().View().find(MaterialManager::DecoratedTypeToken) != std::string_view::npos;
}

// Copies count items of width floats each into the chunk's stream of kind; false when the
// chunk has no such stream.
bool CopyFloats(GeometryChunk& chunk, int kind, const float* values, size_t count, size_t width) {
    if (count == 0) return true;
    float* stream = chunk.GetFloatItem(kind);
    if (!stream) return false;
    std::memcpy(stream, values, count * width * sizeof(float));
    return true;
}

bool CopyWords(GeometryChunk& chunk, int kind, const std::vector<uint32_t>& words) {
    if (words.empty()) return true;
    uint32_t* stream = chunk.GetWordItem(kind);
    if (!stream) return false;
    std::memcpy(stream, words.data(), words.size() * sizeof(uint32_t));
    return true;
}

}  // namespace

Rand& KodrinIndexedMeshDefinition::MaterialNameRand() {
    static Rand rand;
    return rand;
}

int KodrinIndexedMeshDefinition::LoadText(Display* display, MaterialManager* manager,
                                          KodrinGeometryBaseResource* resource, const char* name,
                                          uint32_t defaultColour) {
    ResourceDatabase* database = resource ? resource->GetDatabase() : nullptr;
    if (!database) return RES_FILE_OPEN_ERROR;
    fileName_ = PString(database->GetFileName(name).c_str());
    std::vector<uint8_t> bytes;
    ConfigParser parser;
    const int parsed = database->ReadFile(name, bytes)
                           ? parser.ParseText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))
                           : ConfigParser::kUnreadable;
    if (parsed == ConfigParser::kUnreadable || parsed == ConfigParser::kSyntax || parsed == ConfigParser::kVersion) {
        return parsed;
    }
    if (parsed != ConfigParser::kOk) return RES_UNKNOWN;
    if (!parser.GetRoot()) return RES_FILE_FORMAT_ERROR;
    return LoadConfig(display, manager, resource, *parser.GetRoot(), name, defaultColour);
}

int KodrinIndexedMeshDefinition::LoadConfig(Display* display, MaterialManager* manager,
                                            KodrinGeometryBaseResource* resource, const ConfigData& root,
                                            const char*, uint32_t defaultColour) {
    if (!manager) return RES_NO_MATERIAL_MANAGER;
    GeometryConfigData data;
    if (!data.LoadConfigData(root, true, true, true, fileName_.c_str()) && data.GetVertexTotal() == 0) {
        return RES_FILE_FORMAT_ERROR;
    }
    displaySkinningCapable_ = display && display->HasCapability(29);
    position_ = data.position;
    orientation_ = data.orientation;
    maxWeightsPerVertex_ = data.maxWeightsPerVertex;
    maxBonesPerChunk_ = data.maxBonesPerChunk;
    chunkCount_ = static_cast<uint32_t>(data.chunks.size());
    for (uint32_t i = 0; i < chunkCount_; ++i) {
        int result = CreateMaterial(manager, resource, i, data.chunks[i].material);
        if (result == RES_OK) result = BuildConfigChunk(resource, i, data.chunks[i], defaultColour);
        if (result != RES_OK) return result;
    }
    ReadConfigInfluences(data);
    ReadConfigAttachments(data);
    CountTotals();
    BuildSkeletonFromInfluences();
    BuildInfluenceStreams();
    ComputeBounds();
    ComputeTextureDensity();
    return RES_OK;
}

int KodrinIndexedMeshDefinition::CreateMaterial(MaterialManager* manager, KodrinGeometryBaseResource* resource,
                                                uint32_t position, const ConfigMaterial& material) {
    MeshMaterialRecord record;
    record.requestName = material.name;
    record.properties = material.properties;
    record.flag = material.flag;
    record.opacity = material.opacity;
    record.display = material.display;
    record.display.power *= 128.0f;
    for (const ConfigTexture& texture : material.textures) record.textures.push_back({texture.slot, texture.file, texture.amount});
    if (!HasDecoration(record.requestName)) {
        record.requestName = PString::Setf("KodrinIndexedMeshDefinition::CreateMaterial> *%s*%x*%s*",
                                           BaseName(fileName_.View()).c_str(),
                                           static_cast<unsigned>(MaterialNameRand().NextInt(0, 0x7FFF)),
                                           material.name.c_str());
    }
    return CreateChunkMaterial(manager, resource, position, record);
}

int KodrinIndexedMeshDefinition::BuildConfigChunk(KodrinGeometryBaseResource* resource, uint32_t position,
                                                  const ConfigChunk& data, uint32_t defaultColour) {
    DecideHardwareSkinning();
    ChunkHint hint = MakeChunkHint(resource, data.weightMode, true);
    hint.texCoordSets = static_cast<int32_t>(data.uvSets.size());
    chunkMaterialNames_.push_back(PString());
    const int v = static_cast<int>(data.positions.size());
    const int indices = static_cast<int>(data.indices.size());
    Material* material = GetMaterial(position);
    GeometryChunk* chunk = material ? material->CreateGeometryChunk(v, indices / 3, indices,
                                                                    static_cast<int>(data.faceNormals.size()), 0, hint)
                                    : nullptr;
    if (!chunk) return RES_FILE_FORMAT_ERROR;
    KeepChunk(position, chunk);
    if (v > 0 && hardwareSkinning_ && data.weightMode != 0) {
        if (!FillBlendStreams(*chunk, chunk->GetHint())) return RES_FAIL_CHUNK_CREATE;
    }
    if (v > 0 && !CopyFloats(*chunk, kItemPosition, &data.positions[0].x, data.positions.size(), 3)) {
        return RES_FAIL_CHUNK_CREATE;
    }
    for (size_t set = 0; set < data.uvSets.size(); ++set) {
        if (!CopyFloats(*chunk, kItemTexCoord0 + static_cast<int>(set), data.uvSets[set][0].data(), data.uvSets[set].size(), 2)) {
            return RES_FAIL_CHUNK_CREATE;
        }
    }
    if (indices > 0) {
        if (!chunk->GetIndices()) return RES_FAIL_CHUNK_CREATE;
        std::memcpy(chunk->GetIndices(), data.indices.data(), data.indices.size() * sizeof(uint16_t));
    }
    if (!data.normals.empty() && !CopyFloats(*chunk, kItemNormal, &data.normals[0].x, data.normals.size(), 3)) {
        return RES_FAIL_CHUNK_CREATE;
    }
    if (uint32_t* colours = chunk->GetWordItem(kItemColor); colours && data.colours.empty()) {
        for (int i = 0; i < v; ++i) colours[i] = defaultColour;
    }
    if (!CopyWords(*chunk, kItemColor, data.colours) || !CopyWords(*chunk, kItemColor2, data.colours2)) {
        return RES_FAIL_CHUNK_CREATE;
    }
    if (!data.faceNormals.empty()) {
        if (!chunk->GetFaceNormals()) return RES_FAIL_CHUNK_CREATE;
        std::memcpy(chunk->GetFaceNormals(), data.faceNormals.data(), data.faceNormals.size() * sizeof(Vector3));
    }
    return RES_OK;
}

void KodrinIndexedMeshDefinition::ReadConfigInfluences(const GeometryConfigData& data) {
    influences_.clear();
    for (const ConfigInfluence& source : data.influences) {
        InfluenceDefinition influence;
        influence.name = source.name;
        influence.parentName = source.parentName;
        influence.bindPosition = source.position;
        influence.bindRotation = QuaternionToMatrix3(source.rotation);
        influence.groups = source.groups;
        influences_.push_back(std::move(influence));
    }
}

void KodrinIndexedMeshDefinition::ReadConfigAttachments(const GeometryConfigData& data) {
    attachments_.clear();
    for (const ConfigAttachment& source : data.attachments) {
        attachments_.push_back({QuaternionToMatrix3(source.rotation), source.position, source.name});
    }
}

}  // namespace Kiv
