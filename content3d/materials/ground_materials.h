// KodrinGroundBaseMaterial ("groundbase", no plug-in of its own) sets alpha test and depth
// writes from two bytes of its own around a draw; KodrinOneTexNoAlphaMaterial
// ("tonetexnoalpha") adds colour-material mode 5, keeps its alpha hint at 0, draws in one
// pass and chooses its chunk layout from the hint's lighting and skinning.
#pragma once

#include "engine/material.h"

namespace Kiv {

class KodrinGroundBaseMaterial : public OneTextureMaterial {
public:
    static constexpr const char* kTypeName = "groundbase";

    KodrinGroundBaseMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                             RenderingCache* blendCache);

    Material* Clone() const override;
    bool IsEqual(const Material& other) const override;
    PString GetTypeName() const override { return PString(kTypeName); }
    void SetDisplayState(Display& display) override;
    void ClearDisplayState(Display& display) override;

    uint8_t depthWrite = 1;
    uint8_t alphaTest = 0;
    uint8_t GetSavedAlphaTest() const { return savedAlphaTest_; }

protected:
    void CopyGroundBytes(const KodrinGroundBaseMaterial& other);
    bool GroundEqual(const KodrinGroundBaseMaterial& other) const;

private:
    uint8_t savedAlphaTest_ = 1;
};

class KodrinOneTexNoAlphaMaterial : public KodrinGroundBaseMaterial {
public:
    static constexpr const char* kTypeName = "tonetexnoalpha";

    KodrinOneTexNoAlphaMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                                RenderingCache* blendCache, TextureStageProgram* stageProgram);

    Material* Clone() const override;
    bool IsEqual(const Material& other) const override;
    PString GetTypeName() const override { return PString(kTypeName); }
    GeometryChunk* CreateGeometryChunk(int vertices, int faces, int indices, int faceNormals,
                                       int geometryType, const ChunkHint& hint) override;
    void CacheAlphaHint() override { SetCachedAlphaHint(0); }
    void SetDisplayState(Display& display) override;
    void ClearDisplayState(Display& display) override;
    void RenderNumChunks(Display& display, Viewport* viewport, GeometryChunk** chunks,
                         const LightList** lights, const Matrix4** models, int count) override;
};

// One-pass drawing of several chunks: the display state once around all of them.
void RenderNumChunksOnePass(Material& material, Display& display, Viewport* viewport,
                            GeometryChunk** chunks, const LightList** lights,
                            const Matrix4** models, int count);

}  // namespace Kiv
