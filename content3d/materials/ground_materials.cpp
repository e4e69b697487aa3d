// The ground-base and one-texture-no-alpha materials.
#include "content3d/materials/ground_materials.h"

#include <typeinfo>

#include "engine/display.h"
#include "engine/material_manager.h"
#include "engine/render_kernel.h"

namespace Kiv {

namespace {

constexpr int kColorMaterialMode = 5;

}  // namespace

void RenderNumChunksOnePass(Material& material, Display& display, Viewport* viewport,
                            GeometryChunk** chunks, const LightList** lights,
                            const Matrix4** models, int count) {
    if (!chunks) return;
    material.SetDisplayState(display);
    for (int i = 0; i < count; ++i) {
        GeometryChunk* chunk = chunks[i];
        if (!chunk) continue;
        const Matrix4* model = models ? models[i] : nullptr;
        material.SetLightingState(display, Material::ViewTransformOf(viewport), chunk,
                                  chunk->GetVertexProgram(0), lights ? lights[i] : nullptr, model,
                                  chunk->GetOpacity() * material.opacityFactor, false);
        if (model) display.SetModelMatrix(*model);
        chunk->RenderGeometry(display, viewport, chunk->GetVertexProgram(0), true, 0);
    }
    material.ClearDisplayState(display);
}

KodrinGroundBaseMaterial::KodrinGroundBaseMaterial(MaterialManager* manager,
                                                   RenderingCache* chunkCache,
                                                   RenderingCache* blendCache)
    : OneTextureMaterial(manager, chunkCache, nullptr, blendCache) {}

Material* KodrinGroundBaseMaterial::Clone() const {
    auto* copy = dynamic_cast<KodrinGroundBaseMaterial*>(CreateInstance(GetTypeName(), GetManager()));
    if (!copy) return nullptr;
    copy->InitInstance(*this);
    copy->CopyGroundBytes(*this);
    return copy;
}

void KodrinGroundBaseMaterial::CopyGroundBytes(const KodrinGroundBaseMaterial& other) {
    depthWrite = other.depthWrite;
    alphaTest = other.alphaTest;
}

bool KodrinGroundBaseMaterial::GroundEqual(const KodrinGroundBaseMaterial& other) const {
    return depthWrite == other.depthWrite && alphaTest == other.alphaTest &&
           OneTextureEqual(other);
}

bool KodrinGroundBaseMaterial::IsEqual(const Material& other) const {
    return typeid(*this) == typeid(other) &&
           GroundEqual(static_cast<const KodrinGroundBaseMaterial&>(other));
}

void KodrinGroundBaseMaterial::SetDisplayState(Display& display) {
    OneTextureMaterial::SetDisplayState(display);
    savedAlphaTest_ = display.GetAlphaTest();
    display.SetAlphaTest(alphaTest != 0);
    display.SetDepthWrite(depthWrite != 0);
}

void KodrinGroundBaseMaterial::ClearDisplayState(Display& display) {
    OneTextureMaterial::ClearDisplayState(display);
    display.SetAlphaTest(savedAlphaTest_ != 0);
    display.SetDepthWrite(true);
}

KodrinOneTexNoAlphaMaterial::KodrinOneTexNoAlphaMaterial(MaterialManager* manager,
                                                         RenderingCache* chunkCache,
                                                         RenderingCache* blendCache,
                                                         TextureStageProgram* stageProgram)
    : KodrinGroundBaseMaterial(manager, chunkCache, blendCache) {
    SetStageProgram(stageProgram);
}

Material* KodrinOneTexNoAlphaMaterial::Clone() const {
    auto* copy = dynamic_cast<KodrinOneTexNoAlphaMaterial*>(CreateInstance(GetTypeName(), GetManager()));
    if (!copy) return nullptr;
    copy->InitInstance(*this);
    copy->CopyGroundBytes(*this);
    return copy;
}

bool KodrinOneTexNoAlphaMaterial::IsEqual(const Material& other) const {
    return typeid(*this) == typeid(other) &&
           GroundEqual(static_cast<const KodrinGroundBaseMaterial&>(other));
}

GeometryChunk* KodrinOneTexNoAlphaMaterial::CreateGeometryChunk(int vertices, int faces,
                                                                int indices, int faceNormals,
                                                                int geometryType,
                                                                const ChunkHint& given) {
    ChunkHint hint = given;
    bool softwareLit = false;
    bool skinned = false;
    if (hint.IsStandard()) {
        softwareLit = (hint.flags & ChunkHint::kSoftwareLighting) != 0;
        skinned = (hint.flags & ChunkHint::kSkinned) != 0;
        RenderKernel* kernel = GetManager() ? GetManager()->GetRenderKernel() : nullptr;
        const bool displaySkinsInSoftware = kernel && kernel->GetDisplay()->GetSoftwareSkinning();
        if (skinned && !(hint.flags & ChunkHint::kSoftwareSkinning) && displaySkinsInSoftware) {
            hint.flags |= ChunkHint::kSoftwareSkinning;
        }
    }
    const uint32_t flags = MakeGeometryChunkFlags(geometryType, hint);
    GeometryChunk* chunk;
    if (softwareLit) {
        chunk = new GeometryChunkNmlTemplate<PackedVertexPCT, GeometryChunkSingleStream>(
            vertices, faces, indices, faceNormals, flags, hint);
    } else {
        chunk = new GeometryChunkTemplate<PackedVertexPNT, GeometryChunkSingleStream>(
            vertices, faces, indices, faceNormals, flags, hint);
    }
    if (hint.vertexBufferMode == 1 || (hint.vertexBufferMode == 2 && skinned)) {
        chunk->SetVertexDataDynamic(0, -2, true);
    }
    if (skinned || softwareLit) chunk->SetVertexDataShared(0, 0, false);
    if (hint.indexBufferMode == 1) chunk->SetIndexDataDynamic();
    return chunk;
}

void KodrinOneTexNoAlphaMaterial::SetDisplayState(Display& display) {
    KodrinGroundBaseMaterial::SetDisplayState(display);
    display.SetColorMaterialMode(kColorMaterialMode);
}

void KodrinOneTexNoAlphaMaterial::ClearDisplayState(Display& display) {
    KodrinGroundBaseMaterial::ClearDisplayState(display);
    display.SetColorMaterialMode(0);
}

void KodrinOneTexNoAlphaMaterial::RenderNumChunks(Display& display, Viewport* viewport,
                                                  GeometryChunk** chunks,
                                                  const LightList** lights,
                                                  const Matrix4** models, int count) {
    RenderNumChunksOnePass(*this, display, viewport, chunks, lights, models, count);
}

}  // namespace Kiv
