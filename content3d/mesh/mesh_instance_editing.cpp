// Changing a mesh instance: adding chunks and appending geometry, projecting its vertices
// and writing bitmaps into its materials' textures.
#include "content3d/mesh/indexed_mesh_instance.h"

#include <string>

#include "engine/bitmap.h"
#include "engine/texture.h"

namespace Kiv {

namespace {

// Skinned on the display (no 0x40) or carrying influence matrices.
bool CarriesSkinning(const GeometryChunk& chunk) {
    return (chunk.GetFlags() & GeometryChunk::kNotSkinnedOnDisplay) == 0 || !chunk.GetInfluenceMatrices().empty();
}

constexpr uint32_t kListKind = 4;

}  // namespace

bool KodrinIndexedMeshInstance::AddChunk(GeometryChunk* chunk, Material* material) {
    if (!chunk || CarriesSkinning(*chunk) || !chunks_) return false;
    GeometryChunk* held = chunk;
    if ((chunk->GetFlags() & GeometryChunk::kSoftwareSkinned) != 0) {
        held = chunk->Clone();
        PrepareChunk(*held);
    } else {
        held->AddReference();
    }
    AppendOwnChunk(held, material);
    return true;
}

void KodrinIndexedMeshInstance::AppendOwnChunk(GeometryChunk* chunk, Material* material) {
    if (material) material->AddReference();
    MakeChunkArrayUnique();
    MakeMaterialArrayUnique();
    chunks_->Append(chunk);
    materials_->Append(material);
    ++chunkCount_;
}

void KodrinIndexedMeshInstance::ReplaceOwnChunk(uint32_t i, GeometryChunk* chunk) {
    MakeChunkArrayUnique();
    MakeMaterialArrayUnique();
    chunks_->Replace(i, chunk);
}

bool KodrinIndexedMeshInstance::AppendChunkGeometry(GeometryChunk* source, uint32_t i) {
    if (!source || CarriesSkinning(*source) || i >= chunkCount_) return false;
    if ((source->GetFlags() & kListKind) == 0 || ((*chunks_)[i]->GetFlags() & kListKind) == 0) return false;
    GeometryChunk* copy = (*chunks_)[i]->Clone();
    if (!copy->AppendGeometry(GetDisplay(), *source)) {
        copy->ReleaseReference();
        return false;
    }
    ReplaceOwnChunk(i, copy);
    return true;
}

void KodrinIndexedMeshInstance::ProjectVertices(std::vector<ProjectedPoint>& points, const Matrix3& m,
                                                const ProjectedPoint& offset) const {
    for (uint32_t c = 0; c < chunkCount_; ++c) {
        const GeometryChunk& chunk = *(*chunks_)[c];
        for (int v = 0; v < chunk.GetVertexCount(); ++v) {
            const Vector3 p = chunk.GetPosition(v);
            points.push_back({p.x * m[0] + p.y * m[3] + p.z * m[6] + offset.x,
                              p.x * m[1] + p.y * m[4] + p.z * m[7] + offset.y});
        }
    }
}

bool KodrinIndexedMeshInstance::SetTextureFromFile(int a, int b, uint32_t material, int slot, const char* path) {
    std::string error;
    const std::unique_ptr<Bitmap> bitmap = Bitmap::Load(path, error);
    return bitmap && SetTextureFromBitmap(a, b, material, slot, *bitmap);
}

bool KodrinIndexedMeshInstance::SetTextureFromBitmap(int a, int b, uint32_t material, int slot, const Bitmap& bitmap) {
    const Material* target = GetMaterial(material);
    Texture* texture = target ? target->GetTexture(slot) : nullptr;
    if (!texture) return false;
    static constexpr int kDisplayFormats[] = {5, 1, 3, 8};
    const int type = bitmap.GetFormat();
    if (type < 1 || type > 4) return false;
    texture->UploadBitmap(a, b, bitmap, kDisplayFormats[type - 1]);
    return true;
}

}  // namespace Kiv
