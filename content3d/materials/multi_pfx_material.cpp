// The multi-PFX material.
#include "content3d/materials/multi_pfx_material.h"

#include <typeinfo>

#include "content3d/materials/ground_materials.h"
#include "engine/display.h"
#include "engine/material_manager.h"
#include "engine/render_kernel.h"

namespace Kiv {

namespace {

constexpr int kSecondStage = 1;

}  // namespace

KodrinMultiPFXMaterial::KodrinMultiPFXMaterial(MaterialManager* manager,
                                               RenderingCache* chunkCache,
                                               RenderingCache* maskCache,
                                               RenderingCache* blendCache,
                                               TextureStageProgram* const* stagePrograms)
    : OneTextureMaterial(manager, chunkCache, maskCache, blendCache),
      stagePrograms_(stagePrograms) {}

KodrinMultiPFXMaterial::~KodrinMultiPFXMaterial() = default;

Material* KodrinMultiPFXMaterial::Clone() const {
    auto* copy = dynamic_cast<KodrinMultiPFXMaterial*>(CreateInstance(GetTypeName(), GetManager()));
    if (!copy) return nullptr;
    copy->InitInstance(*this);
    copy->second_.CopyFrom(second_);
    return copy;
}

bool KodrinMultiPFXMaterial::IsEqual(const Material& other) const {
    if (typeid(*this) != typeid(other)) return false;
    const auto& same = static_cast<const KodrinMultiPFXMaterial&>(other);
    return second_.Get() == same.second_.Get() && OneTextureEqual(same);
}

void KodrinMultiPFXMaterial::SetResourcePriority(int priority) {
    OneTextureMaterial::SetResourcePriority(priority);
    second_.SetResourcePriority(priority);
}

void KodrinMultiPFXMaterial::Activate(int level) {
    OneTextureMaterial::Activate(level);
    second_.Activate(level);
}

GeometryChunk* KodrinMultiPFXMaterial::CreateGeometryChunk(int vertices, int faces, int indices,
                                                           int faceNormals, int geometryType,
                                                           const ChunkHint& hint) {
    auto* chunk = new GeometryChunkNmlTemplate<PackedVertexPCT, GeometryChunkSingleStream>(
        vertices, faces, indices, faceNormals, MakeGeometryChunkFlags(geometryType, hint), hint);
    if (hint.vertexBufferMode == 1) chunk->SetVertexDataDynamic(0, -2, true);
    chunk->SetVertexDataShared(0, 0, false);
    if (hint.indexBufferMode == 1) chunk->SetIndexDataDynamic();
    if (!vertexType_) {
        vertexType_ = std::make_unique<VertexType>(kVertexTypeId, 1);
        vertexType_->CreateItems(0, 4);
        vertexType_->AddItem(0, kItemPosition);
        vertexType_->AddItem(0, kItemColor);
        vertexType_->AddItem(0, kItemTexCoord0);
        vertexType_->AddItem(0, kItemTexCoord0 + 1, kItemTexCoord0, "");
        RenderKernel* kernel = GetManager() ? GetManager()->GetRenderKernel() : nullptr;
        if (kernel) kernel->GetDisplay()->RegisterVertexType(vertexType_.get());
    }
    chunk->SetVertexType(vertexType_.get(), 0);
    return chunk;
}

int KodrinMultiPFXMaterial::DuplicateTexture(int index) {
    return index == kSecondIndex ? second_.Duplicate() : OneTextureMaterial::DuplicateTexture(index);
}

Texture* KodrinMultiPFXMaterial::GetTexture(int index) const {
    return index == kSecondIndex ? second_.Get() : OneTextureMaterial::GetTexture(index);
}

int KodrinMultiPFXMaterial::SetTexture(int index, Texture* texture, float amount) {
    if (index != kSecondIndex) return OneTextureMaterial::SetTexture(index, texture, amount);
    return second_.Set(*this, texture, amount);
}

int KodrinMultiPFXMaterial::SetTexture(int index, ResourceDatabase* database,
                                       const PString& name, float amount) {
    if (index != kSecondIndex) return OneTextureMaterial::SetTexture(index, database, name, amount);
    return second_.SetByName(*this, database, name, amount, false);
}

int KodrinMultiPFXMaterial::IsLoaded() const {
    return second_.IsLoaded() ? OneTextureMaterial::IsLoaded() : kMaterialNotLoaded;
}

void KodrinMultiPFXMaterial::SetDisplayState(Display& display) {
    OneTextureMaterial::SetDisplayState(display);
    if (stagePrograms_ && stagePrograms_[0] && stagePrograms_[1]) {
        display.ApplyTextureStageProgram(stagePrograms_[0]);
        display.ApplyTextureStageProgram(stagePrograms_[1]);
    }
    display.BindTexture(kSecondStage, second_.Get());
    display.SetTextureMatrix(kSecondStage, secondTextureMatrix_);
}

void KodrinMultiPFXMaterial::ClearDisplayState(Display& display) {
    OneTextureMaterial::ClearDisplayState(display);
    display.ResetTextureStage(0);
    display.ResetTextureStage(kSecondStage);
    display.ResetTextureMatrix(kSecondStage);
}

void KodrinMultiPFXMaterial::RenderNumChunks(Display& display, Viewport* viewport,
                                             GeometryChunk** chunks, const LightList** lights,
                                             const Matrix4** models, int count) {
    RenderNumChunksOnePass(*this, display, viewport, chunks, lights, models, count);
}

}  // namespace Kiv
