// The GEOM chunk of a mesh file: the creation hint from the loader settings, the chunk
// made by the chunk's material, and the vertex, index, normal, colour, face-normal and
// tangent blocks copied into the streams the chunk has (blocks of streams it lacks are
// read past). Every block is checked against the chunk's bytes before the chunk is made.
#include <algorithm>
#include <climits>
#include <cstring>

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/indexed_mesh_definition.h"
#include "content3d/mesh/mesh_chunk_header.h"
#include "engine/display.h"
#include "engine/material.h"

namespace Kiv {

namespace {

struct GeometryCounts {
    uint32_t flags = 0, extraFlags = 0, vertices = 0, faces = 0, indices = 0, faceNormals = 0;
    uint32_t uvSets = 1, weightMode = 0;
    int geometryType = 0;
    bool hasColours = false;
    bool HasTangents() const { return (extraFlags & 1) != 0; }
};

// Primitive kind (flags & 31) to the material's geometry type; -1 for another kind.
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

// Whether every block the counts announce lies inside what is left of the file.
bool BlocksFit(MemoryFile& file, const GeometryCounts& c) {
    if (!file.Fits(c.vertices, 12 + 8 * uint64_t{c.uvSets})) return false;
    const uint64_t v = c.vertices;
    uint64_t total = v * (12 + 8 * uint64_t{c.uvSets}) + 2 * uint64_t{c.indices} + 12 * v +
                     12 * uint64_t{c.faceNormals};
    if (c.hasColours) total += 4 * v;
    if (c.HasTangents()) total += 12 * v;
    return total <= file.Remaining() && c.faces <= INT32_MAX;
}

void CopyVector3Block(std::span<const uint8_t> block, float* target, uint32_t count) {
    if (target) std::memcpy(target, block.data(), size_t{count} * 12);
}

bool HasBlendStreams(GeometryChunk& chunk, const ChunkHint& hint) {
    if (!chunk.GetWordItem(kItemPackedIndices)) return false;
    if ((hint.flags & ChunkHint::kFloatWeights) == 0) return chunk.GetWordItem(kItemPackedWeights) != nullptr;
    for (int kind = kItemWeights1; kind <= kItemWeights4; ++kind) {
        if (chunk.GetFloatItem(kind)) return true;
    }
    return false;
}

}  // namespace

bool KodrinIndexedMeshDefinition::FillBlendStreams(GeometryChunk& chunk, const ChunkHint& hint) const {
    if (!HasBlendStreams(chunk, hint)) return false;
    const int vertices = chunk.GetVertexCount();
    uint32_t* indices = chunk.GetWordItem(kItemPackedIndices);
    if ((hint.flags & ChunkHint::kFloatWeights) == 0) {
        uint32_t* weights = chunk.GetWordItem(kItemPackedWeights);
        for (int i = 0; i < vertices; ++i) weights[i] = 0xFF000000u;
    } else {
        for (int kind = kItemWeights1; kind <= kItemWeights4; ++kind) {
            float* weights = chunk.GetFloatItem(kind);
            if (!weights) continue;
            const int width = kind - kItemWeights1 + 1;
            for (int i = 0; i < vertices; ++i) {
                for (int w = 0; w < width; ++w) weights[i * width + w] = w == 0 ? 1.0f : 0.0f;
            }
        }
    }
    for (int i = 0; i < vertices; ++i) indices[i] = 0;
    return true;
}

ChunkHint KodrinIndexedMeshDefinition::MakeChunkHint(KodrinGeometryBaseResource* resource, uint32_t weightMode,
                                                     bool fromText) {
    StandardChunkHint hint(2, 0);
    if (loaderSettings_.softwareLighting.IsSet()) hint.flags |= ChunkHint::kSoftwareLighting;
    hint.vertexBufferMode = loaderSettings_.dynamicVertex.ValueOr(2);
    hint.indexBufferMode = loaderSettings_.dynamicIndex.ValueOr(2);
    hint.database = resource ? resource->GetDatabase() : nullptr;
    if (weightMode == 0) return hint;
    hint.flags |= ChunkHint::kSkinned;
    if (!hardwareSkinning_) {
        hint.flags |= ChunkHint::kSoftwareSkinning;
        return hint;
    }
    hint.weightsPerVertex = fromText ? static_cast<int32_t>(weightMode) : 4;
    hint.matricesPerChunk = static_cast<int32_t>(fromText ? maxBonesPerChunk_ : bonesPerChunkLimit_);
    if (loaderSettings_.hardwareAnimationFloatPrecision.IsSet()) hint.flags |= ChunkHint::kFloatWeights;
    return hint;
}

int KodrinIndexedMeshDefinition::ReadGeometry(KodrinGeometryBaseResource* resource, uint32_t position,
                                              uint32_t defaultColour) {
    MeshChunkHeader header;
    if (!header.Read(file_, "GEOM")) return RES_FILE_FORMAT_ERROR;
    const uint32_t version = header.version;
    if (version < 101 || version > 201) return RES_FILE_VERSION_ERROR;
    if (header.end > file_.Size()) return RES_FILE_FORMAT_ERROR;

    GeometryCounts c;
    c.flags = file_.U32();
    if (version >= 201) c.extraFlags = file_.U32();
    c.geometryType = GeometryTypeOfKind(c.flags & 31);
    if (c.geometryType < 0) return RES_FILE_FORMAT_ERROR;
    const float meshValue = file_.F32();
    c.vertices = file_.U32();
    c.faces = file_.U32();
    c.indices = file_.U32();
    c.faceNormals = file_.U32();
    if (version >= 103 && version <= 199) c.uvSets = file_.U32();
    if (version >= 102) c.weightMode = file_.U32();
    c.hasColours = version >= 104 && version <= 199;
    if (version >= 102) DecideHardwareSkinning();
    ChunkHint hint = MakeChunkHint(resource, c.weightMode, false);
    hint.meshValue = meshValue;
    hint.texCoordSets = static_cast<int32_t>(std::min<uint32_t>(c.uvSets, 8));
    chunkMaterialNames_.push_back(version >= 200 ? ReadPaddedString(file_) : PString());
    if (file_.Failed() || !BlocksFit(file_, c)) return RES_FILE_FORMAT_ERROR;

    Material* material = GetMaterial(position);
    GeometryChunk* chunk = material ? material->CreateGeometryChunk(
        static_cast<int>(c.vertices), static_cast<int>(c.faces), static_cast<int>(c.indices),
        static_cast<int>(c.faceNormals), c.geometryType, hint) : nullptr;
    if (!chunk) return RES_FILE_FORMAT_ERROR;
    KeepChunk(position, chunk);
    const uint32_t v = c.vertices;

    if (v > 0) {
        if (hardwareSkinning_ && c.weightMode != 0) {
            if (!FillBlendStreams(*chunk, chunk->GetHint())) return RES_FAIL_CHUNK_CREATE;
        }
        float* positions = chunk->GetFloatItem(kItemPosition);
        if (!positions) return RES_FAIL_CHUNK_CREATE;
        const size_t vertexBytes = 12 + 8 * size_t{c.uvSets};
        std::span<const uint8_t> block = file_.Bytes(v * vertexBytes);
        for (uint32_t i = 0; i < v; ++i) std::memcpy(positions + 3 * i, block.data() + i * vertexBytes, 12);
        if (uint32_t* colours = chunk->GetWordItem(kItemColor)) {
            for (uint32_t i = 0; i < v; ++i) colours[i] = defaultColour;
        }
        for (uint32_t set = 0; set < c.uvSets && set < 8; ++set) {
            float* uv = chunk->GetFloatItem(kItemTexCoord0 + static_cast<int>(set));
            if (!uv) continue;
            for (uint32_t i = 0; i < v; ++i) {
                std::memcpy(uv + 2 * i, block.data() + i * vertexBytes + 12 + 8 * set, 8);
            }
        }
    }
    if (c.indices > 0) {
        uint16_t* indices = chunk->GetIndices();
        if (!indices) return RES_FAIL_CHUNK_CREATE;
        std::memcpy(indices, file_.Bytes(size_t{c.indices} * 2).data(), size_t{c.indices} * 2);
        uint16_t highest = 0;
        for (uint32_t i = 0; i < c.indices; ++i) highest = std::max(highest, indices[i]);
        if (highest >= v) return RES_FILE_FORMAT_ERROR;
    }
    if (v > 0) CopyVector3Block(file_.Bytes(size_t{v} * 12), chunk->GetFloatItem(kItemNormal), v);
    if (c.hasColours && v > 0) {
        std::vector<uint32_t> colours(v);
        for (uint32_t& colour : colours) colour = file_.U32();
        Display::ConvertColorArray(colours.data(), colours.size());
        if (uint32_t* stream = chunk->GetWordItem(kItemColor)) std::memcpy(stream, colours.data(), size_t{v} * 4);
    }
    if (c.faceNormals > 0) {
        Vector3* faceNormals = chunk->GetFaceNormals();
        if (!faceNormals) return RES_FAIL_CHUNK_CREATE;
        CopyVector3Block(file_.Bytes(size_t{c.faceNormals} * 12), &faceNormals[0].x, c.faceNormals);
    }
    if (c.HasTangents() && v > 0) CopyVector3Block(file_.Bytes(size_t{v} * 12), chunk->GetFloatItem(kItemTangent), v);
    if (file_.Failed()) return RES_FILE_FORMAT_ERROR;
    file_.Seek(static_cast<size_t>(header.end));
    return RES_OK;
}

}  // namespace Kiv
