// The bump family of materials: KodrinBumpMaterial ("tbumptex", a normal map at texture
// index 8), KodrinBumpGlossMaterial ("tbumpgloss", a gloss map at index 9 faded by the
// chunk's "RustAge") and KodrinBumpEnvMaterial ("tbumpenv", an environment map at index
// 9). They light per pixel in two passes (parallel light, then an additive spot-light
// pass) with the vertex and pixel programs their plug-in made (bump_material_plugins.h).
// The normal map and the index-9 texture start as shared texture 0, never empty.
#pragma once

#include <functional>

#include "content3d/materials/bump_lighting.h"
#include "content3d/materials/texture_slot.h"
#include "engine/material.h"

namespace Kiv {

class TextureCombiner;
class VertexProgram;

// The programs a bump material draws with; the material holds a reference to each.
struct BumpPrograms {
    VertexProgram* parallelVertex = nullptr;
    TextureCombiner* parallelCombiner = nullptr;
    VertexProgram* spotVertex = nullptr;
    TextureCombiner* spotCombiner = nullptr;
};
void AddProgramReferences(const BumpPrograms& programs);
void ReleasePrograms(BumpPrograms& programs);

class KodrinBumpMaterial : public OneTextureMaterial {
public:
    static constexpr const char* kTypeName = "tbumptex";
    static constexpr int kBumpIndex = 8;

    KodrinBumpMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                       RenderingCache* maskCache, RenderingCache* blendCache,
                       const BumpPrograms& programs);
    ~KodrinBumpMaterial() override;

    Material* Clone() const override;
    bool IsEqual(const Material& other) const override;
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
    void RenderChunk(Display& display, Viewport* viewport, GeometryChunk* chunk,
                     const LightList* lights, const Matrix4* model, int value) override;
    void RenderNumChunks(Display& display, Viewport* viewport, GeometryChunk** chunks,
                         const LightList** lights, const Matrix4** models, int count) override;
    void RenderPrimitives(Display& display, Viewport* viewport, GeometryChunk* chunk,
                          const LightList* lights, const Matrix4* model, int indexCount,
                          const uint16_t* indices, int primitiveCount, int primitiveType,
                          int value) override;

    const BumpPrograms& GetPrograms() const { return programs_; }

protected:
    // Draws the chunk (or its index range) with a vertex program.
    using DrawCall = std::function<void(const VertexProgram*)>;

    // B's chunk: software skinning for skinned chunks, buffer modes from the hint.
    GeometryChunk* CreateBumpChunk(int vertices, int faces, int indices, int faceNormals,
                                   int geometryType, const ChunkHint& hint);
public:
    // How a subclass draws its passes: where Specular sits, whether the parallel pass
    // zeroes it without a light, the spot pass's blend factors, and the Lerp value set
    // first on each pass's combiner (none when lerp is null).
    struct PassSettings {
        int specularRegister;
        bool zeroSpecular;
        int spotSource;
        int spotDestination;
        const float* lerp;
    };

protected:
    // The parallel pass (constants, combiner bound around the draw), and the additive spot
    // pass when the lights hold a spot light.
    void DrawParallelPass(Display& display, Viewport& viewport, const ChosenLights& lights,
                          const Matrix4& model, const PassSettings& settings,
                          const DrawCall& draw);
    void DrawSpotPass(Display& display, Viewport& viewport, const ChosenLights& lights,
                      const Matrix4& model, const PassSettings& settings, const DrawCall& draw);
    void CopyBumpTexture(const KodrinBumpMaterial& other) { bump_.CopyFrom(other.bump_); }
    bool SameBumpTexture(const KodrinBumpMaterial& other) const {
        return bump_.Get() == other.bump_.Get();
    }
    const TextureSlot& GetBumpSlot() const { return bump_; }

private:
    void Draw(Display& display, Viewport* viewport, const LightList* lights,
              const Matrix4* model, const DrawCall& draw);

    TextureSlot bump_{kBumpIndex};
    BumpPrograms programs_;
};

// What the bump-gloss and bump-env materials share: a texture at index 9 with its amount.
class KodrinBumpIndex9Material : public KodrinBumpMaterial {
public:
    static constexpr int kIndex9 = 9;

    KodrinBumpIndex9Material(MaterialManager* manager, RenderingCache* chunkCache,
                             RenderingCache* maskCache, RenderingCache* blendCache,
                             const BumpPrograms& programs);

    int DuplicateTexture(int index) override;
    Texture* GetTexture(int index) const override;
    int SetTexture(int index, Texture* texture, float amount) override;
    int SetTexture(int index, ResourceDatabase* database, const PString& name,
                   float amount) override;
    int IsLoaded() const override;
    void CacheAlphaHint() override { SetCachedAlphaHint(0); }
    void ClearDisplayState(Display& display) override;
    GeometryChunk* CreateGeometryChunk(int vertices, int faces, int indices, int faceNormals,
                                       int geometryType, const ChunkHint& hint) override;
    // Each chunk through RenderChunk, with a viewport.
    void RenderNumChunks(Display& display, Viewport* viewport, GeometryChunk** chunks,
                         const LightList** lights, const Matrix4** models, int count) override;
    // Draws nothing.
    void RenderPrimitives(Display&, Viewport*, GeometryChunk*, const LightList*, const Matrix4*,
                          int, const uint16_t*, int, int, int) override {}

    float GetIndex9Amount() const { return index9_.GetAmount(); }

protected:
    const TextureSlot& GetIndex9Slot() const { return index9_; }
    void CopyIndex9(const KodrinBumpIndex9Material& other) { index9_.CopyFrom(other.index9_); }
    bool Index9Equal(const KodrinBumpIndex9Material& other) const;

private:
    TextureSlot index9_{kIndex9};
};

class KodrinBumpGlossMaterial : public KodrinBumpIndex9Material {
public:
    static constexpr const char* kTypeName = "tbumpgloss";
    static constexpr const char* kRustAge = "RustAge";

    KodrinBumpGlossMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                            RenderingCache* maskCache, RenderingCache* blendCache,
                            const BumpPrograms& programs, const BumpPrograms& rustPrograms);
    ~KodrinBumpGlossMaterial() override;

    Material* Clone() const override;
    bool IsEqual(const Material& other) const override;
    PString GetTypeName() const override { return PString(kTypeName); }
    void Activate(int level) override;
    GeometryChunk* CreateGeometryChunk(int vertices, int faces, int indices, int faceNormals,
                                       int geometryType, const ChunkHint& hint) override;
    void SetDisplayState(Display& display) override;
    void RenderChunk(Display& display, Viewport* viewport, GeometryChunk* chunk,
                     const LightList* lights, const Matrix4* model, int value) override;

    float GetGlossAmount() const { return GetIndex9Amount(); }
    const BumpPrograms& GetRustPrograms() const { return rustPrograms_; }

private:
    BumpPrograms rustPrograms_;
};

// The environment-map provider: a process-wide hook that may give the texture of stage 3
// for a material and viewport. None is installed by the program.
using EnvironmentMapProvider = Texture* (*)(Material* material, Viewport* viewport);
void SetEnvironmentMapProvider(EnvironmentMapProvider provider);

class KodrinBumpEnvMaterial : public KodrinBumpIndex9Material {
public:
    static constexpr const char* kTypeName = "tbumpenv";

    KodrinBumpEnvMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                          RenderingCache* maskCache, RenderingCache* blendCache,
                          const BumpPrograms& programs);

    // Swaps the second and third axes and negates the new third one.
    static Matrix4 EnvTextureMatrix();

    Material* Clone() const override;
    bool IsEqual(const Material& other) const override;
    PString GetTypeName() const override { return PString(kTypeName); }
    void RenderChunk(Display& display, Viewport* viewport, GeometryChunk* chunk,
                     const LightList* lights, const Matrix4* model, int value) override;

    float GetEnvAmount() const { return GetIndex9Amount(); }
    const Matrix4& GetEnvTextureMatrix() const { return envTextureMatrix_; }

private:
    Matrix4 envTextureMatrix_ = EnvTextureMatrix();
};

}  // namespace Kiv
