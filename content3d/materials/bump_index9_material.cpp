// What the bump-gloss and bump-env materials share: the index-9 texture and its amount,
// their chunks, the clearing of their states, and drawing chunk by chunk.
#include <typeinfo>

#include "content3d/materials/bump_materials.h"
#include "engine/display.h"
#include "engine/material_manager.h"
#include "engine/texture.h"

namespace Kiv {

namespace {

constexpr int kIndex9Stage = 3;
constexpr int kNormalMapStage = 1;

}  // namespace

KodrinBumpIndex9Material::KodrinBumpIndex9Material(MaterialManager* manager,
                                                   RenderingCache* chunkCache,
                                                   RenderingCache* maskCache,
                                                   RenderingCache* blendCache,
                                                   const BumpPrograms& programs)
    : KodrinBumpMaterial(manager, chunkCache, maskCache, blendCache, programs) {
    Texture* shared = manager && manager->GetTextureManager()
                          ? manager->GetTextureManager()->GetSharedTextures().GetTexture(0)
                          : nullptr;
    index9_.Fill(shared);
    if (shared) shared->ReleaseReference();
}

int KodrinBumpIndex9Material::DuplicateTexture(int index) {
    return index == kIndex9 ? index9_.Duplicate() : KodrinBumpMaterial::DuplicateTexture(index);
}

Texture* KodrinBumpIndex9Material::GetTexture(int index) const {
    return index == kIndex9 ? index9_.Get() : KodrinBumpMaterial::GetTexture(index);
}

int KodrinBumpIndex9Material::SetTexture(int index, Texture* texture, float amount) {
    if (index != kIndex9) return KodrinBumpMaterial::SetTexture(index, texture, amount);
    return index9_.Set(*this, texture, amount);
}

int KodrinBumpIndex9Material::SetTexture(int index, ResourceDatabase* database,
                                         const PString& name, float amount) {
    if (index != kIndex9) return KodrinBumpMaterial::SetTexture(index, database, name, amount);
    return index9_.SetByName(*this, database, name, amount, true);
}

int KodrinBumpIndex9Material::IsLoaded() const {
    return index9_.IsLoaded() ? KodrinBumpMaterial::IsLoaded() : kMaterialNotLoaded;
}

void KodrinBumpIndex9Material::ClearDisplayState(Display& display) {
    display.ResetTextureStage(kIndex9Stage);
    display.ResetTextureStage(kNormalMapStage);
    OneTextureMaterial::ClearDisplayState(display);
}

GeometryChunk* KodrinBumpIndex9Material::CreateGeometryChunk(int vertices, int faces,
                                                             int indices, int faceNormals,
                                                             int geometryType,
                                                             const ChunkHint& hint) {
    GeometryChunk* chunk =
        CreateBumpChunk(vertices, faces, indices, faceNormals, geometryType, hint);
    if (!(chunk->GetFlags() & GeometryChunk::kSoftwareSkinned)) {
        chunk->SetVertexDataShared(0, -3, false);
    }
    return chunk;
}

void KodrinBumpIndex9Material::RenderNumChunks(Display& display, Viewport* viewport,
                                               GeometryChunk** chunks, const LightList** lights,
                                               const Matrix4** models, int count) {
    if (!viewport || !chunks) return;
    for (int i = 0; i < count; ++i) {
        RenderChunk(display, viewport, chunks[i], lights ? lights[i] : nullptr,
                    models ? models[i] : nullptr, -1);
    }
}

bool KodrinBumpIndex9Material::Index9Equal(const KodrinBumpIndex9Material& other) const {
    return index9_.Get() == other.index9_.Get() && index9_.GetAmount() == other.index9_.GetAmount() &&
           SameBumpTexture(other) && OneTextureEqual(other);
}

}  // namespace Kiv
