// KodrinMultiPFXMaterial ("tmpfx"): a one-texture material with a second texture (index
// 12) on stage 1 under its own texture matrix, drawn in one pass with the two
// texture-stage programs of its plug-in, which it reads through the plug-in's pair (the
// plug-in may replace the pair at any time). Its chunks carry colours and keep normals
// beside, under a vertex type (id 99) the material makes on its first chunk.
#pragma once

#include <memory>

#include "content3d/materials/texture_slot.h"
#include "engine/material.h"

namespace Kiv {

class KodrinMultiPFXMaterial : public OneTextureMaterial {
public:
    static constexpr const char* kTypeName = "tmpfx";
    static constexpr int kSecondIndex = 12;
    static constexpr int kVertexTypeId = 99;

    KodrinMultiPFXMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                           RenderingCache* maskCache, RenderingCache* blendCache,
                           TextureStageProgram* const* stagePrograms);
    ~KodrinMultiPFXMaterial() override;

    Material* Clone() const override;
    bool IsEqual(const Material& other) const override;
    void SetResourcePriority(int priority) override;
    PString GetTypeName() const override { return PString(kTypeName); }
    void Activate(int level) override;
    GeometryChunk* CreateGeometryChunk(int vertices, int faces, int indices, int faceNormals,
                                       int geometryType, const ChunkHint& hint) override;
    int DuplicateTexture(int index) override;
    Texture* GetTexture(int index) const override;
    int SetTexture(int index, Texture* texture, float amount) override;
    int SetTexture(int index, ResourceDatabase* database, const PString& name,
                   float amount) override;
    int IsLoaded() const override;
    void SetDisplayState(Display& display) override;
    void ClearDisplayState(Display& display) override;
    void RenderNumChunks(Display& display, Viewport* viewport, GeometryChunk** chunks,
                         const LightList** lights, const Matrix4** models, int count) override;

    const Matrix4& GetSecondTextureMatrix() const { return secondTextureMatrix_; }
    void SetSecondTextureMatrix(const Matrix4& matrix) { secondTextureMatrix_ = matrix; }
    const VertexType* GetVertexType() const { return vertexType_.get(); }

private:
    TextureSlot second_{kSecondIndex};
    TextureStageProgram* const* stagePrograms_;
    Matrix4 secondTextureMatrix_;
    std::unique_ptr<VertexType> vertexType_;
};

}  // namespace Kiv
