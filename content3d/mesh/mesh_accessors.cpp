// Read-only views of a loaded definition that the engine's mesh-file support and the LOD
// meshes take: chunk streams copied into strided buffers, and material, influence and
// attachment records.
#include <cstring>

#include "content3d/mesh/indexed_mesh_definition.h"
#include "engine/material.h"

namespace Kiv {

namespace {

bool CopyStream(GeometryChunk* chunk, int kind, size_t bytes, KodrinIndexedMeshDefinition::StridedBuffer out) {
    if (!chunk || !out.data) return false;
    const uint8_t* source = nullptr;
    if (IsWordItem(kind)) {
        source = reinterpret_cast<const uint8_t*>(chunk->GetWordItem(kind));
    } else {
        source = reinterpret_cast<const uint8_t*>(chunk->GetFloatItem(kind));
    }
    if (!source) return false;
    for (int v = 0; v < chunk->GetVertexCount(); ++v) {
        std::memcpy(out.data + static_cast<size_t>(v) * out.stride, source + static_cast<size_t>(v) * bytes, bytes);
    }
    return true;
}

}  // namespace

bool KodrinIndexedMeshDefinition::CopyPositions(uint32_t i, StridedBuffer out) const {
    return CopyStream(GetChunk(i), kItemPosition, 12, out);
}

bool KodrinIndexedMeshDefinition::CopyNormals(uint32_t i, StridedBuffer out) const {
    return CopyStream(GetChunk(i), kItemNormal, 12, out);
}

bool KodrinIndexedMeshDefinition::CopyTexCoords(uint32_t i, int n, StridedBuffer out) const {
    GeometryChunk* chunk = GetChunk(i);
    if (!chunk) return false;
    for (int kind = kItemTexCoord0; kind <= kItemTexCoord7; ++kind) {
        if (chunk->HasItem(kind) && n-- == 0) return CopyStream(chunk, kind, 8, out);
    }
    return false;
}

bool KodrinIndexedMeshDefinition::CopyColours(uint32_t i, bool first, uint32_t fallback, StridedBuffer out) const {
    GeometryChunk* chunk = GetChunk(i);
    if (!chunk || !out.data) return false;
    if (CopyStream(chunk, first ? kItemColor : kItemColor2, 4, out)) return true;
    for (int v = 0; v < chunk->GetVertexCount(); ++v) {
        std::memcpy(out.data + static_cast<size_t>(v) * out.stride, &fallback, 4);
    }
    return true;
}

bool KodrinIndexedMeshDefinition::CopyIndices(uint32_t i, uint16_t* out) const {
    const GeometryChunk* chunk = GetChunk(i);
    if (!chunk || !out) return false;
    if (chunk->GetIndexCount() > 0) std::memcpy(out, chunk->GetIndices(), static_cast<size_t>(chunk->GetIndexCount()) * 2);
    return true;
}

bool KodrinIndexedMeshDefinition::CopyFaceNormals(uint32_t i, Vector3* out) const {
    GeometryChunk* chunk = GetChunk(i);
    if (!chunk || !out) return false;
    if (const Vector3* normals = chunk->GetFaceNormals()) {
        std::memcpy(out, normals, chunk->GetFaceNormalCount() * sizeof(Vector3));
    }
    return true;
}

bool KodrinIndexedMeshDefinition::GetMaterialFlag(uint32_t i) const {
    const Material* material = GetMaterial(i);
    return material && (material->flags & 1u) != 0;
}

float KodrinIndexedMeshDefinition::GetMaterialOpacity(uint32_t i) const {
    const Material* material = GetMaterial(i);
    return material ? material->opacityFactor : 1.0f;
}

DisplayMaterial KodrinIndexedMeshDefinition::GetMaterialDisplay(uint32_t i) const {
    const Material* material = GetMaterial(i);
    return material ? material->GetDisplayMaterialProperties() : DisplayMaterial();
}

size_t KodrinIndexedMeshDefinition::GetMaterialPropertyCount(uint32_t i) const {
    const Material* material = GetMaterial(i);
    return material ? material->GetProperties().size() : 0;
}

PString KodrinIndexedMeshDefinition::GetMaterialProperty(uint32_t i, size_t n, int which) const {
    const Material* material = GetMaterial(i);
    if (!material || n >= material->GetProperties().size()) return PString();
    const auto& property = material->GetProperties()[n];
    return which == 0 ? property.first : property.second;
}

Vector4 KodrinIndexedMeshDefinition::GetInfluenceRotation(uint32_t i) const {
    return i < influences_.size() ? Matrix3ToQuaternion(influences_[i].bindRotation) : Vector4{0, 0, 0, 1};
}

Vector4 KodrinIndexedMeshDefinition::GetAttachmentRotation(uint32_t i) const {
    return i < attachments_.size() ? Matrix3ToQuaternion(attachments_[i].rotation) : Vector4{0, 0, 0, 1};
}

}  // namespace Kiv
