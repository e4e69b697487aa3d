// KodrinGlossRustMaterial ("tglossrust"): a reflective material whose chunks fade from a
// reflective look to a rusty one by their "RustAge" (0..1). Below 0.5 the reflective pass
// draws with stage constants of amount x (1 - 2 x RustAge) (skipped at 1/255 and below);
// otherwise the rust pass draws with the lit ambient colour and alpha (RustAge - 0.5) x 2,
// with specular scaled by 1.5 - RustAge above 0.5. Its four stage programs come from its
// plug-in: 0 and 1 for the reflective pass, 2 and 3 for the rust pass.
#pragma once

#include <functional>

#include "engine/material.h"

namespace Kiv {

class KodrinGlossRustMaterial : public ReflectiveMaterial {
public:
    static constexpr const char* kTypeName = "tglossrust";
    static constexpr const char* kRustAge = "RustAge";

    KodrinGlossRustMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                            RenderingCache* blendCache, int programCount,
                            TextureStageProgram* const* programs)
        : ReflectiveMaterial(manager, chunkCache, blendCache, programCount, programs) {}

    Material* Clone() const override;
    bool IsEqual(const Material& other) const override;
    PString GetTypeName() const override { return PString(kTypeName); }
    GeometryChunk* CreateGeometryChunk(int vertices, int faces, int indices, int faceNormals,
                                       int geometryType, const ChunkHint& hint) override;
    void ClearDisplayState(Display& display) override;
    void RenderChunk(Display& display, Viewport* viewport, GeometryChunk* chunk,
                     const LightList* lights, const Matrix4* model, int value) override;
    void RenderNumChunks(Display& display, Viewport* viewport, GeometryChunk** chunks,
                         const LightList** lights, const Matrix4** models, int count) override;
    void RenderPrimitives(Display& display, Viewport* viewport, GeometryChunk* chunk,
                          const LightList* lights, const Matrix4* model, int indexCount,
                          const uint16_t* indices, int primitiveCount, int primitiveType,
                          int value) override;

private:
    using DrawCall = std::function<void()>;

    void Draw(Display& display, Viewport* viewport, GeometryChunk* chunk,
              const LightList* lights, const Matrix4* model, const DrawCall& draw);
    // The reflective pass's constants and cube or sphere mapping; the cube matrix is built
    // from rotation (the view's, or a chunk's model matrix).
    void ReflectiveSetup(Display& display, GeometryChunk* chunk, const Matrix4* model,
                         float strength, const Matrix4* rotation) const;
    // The rust pass's stage constants from the lights and the saved ambient colour.
    void RustConstants(Display& display, const LightList* lights, const Color& savedAmbient,
                       float rustAge) const;
    void ApplyPrograms(Display& display, int first) const;
    bool IsCubeMapped() const;
};

}  // namespace Kiv
