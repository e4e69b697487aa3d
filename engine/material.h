// Kiv::Material and its engine subclasses: what a mesh chunk is drawn with. A material is
// a counted object made by a material plug-in (PluginInstance ties it to that plug-in); it
// makes the geometry chunks suited to it, holds its textures by engine texture index, sets
// and clears the display state around a draw, and draws chunks. Texture results: 0 done,
// 3 no texture or not found, 4 not loaded.
//
// CacheChunk draws an opaque chunk at once and hands any other to the material's
// alpha-blend cache: a chunk is opaque when the material's cached alpha hint is 0 and the
// material's opacity times the chunk's is 1.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "engine/alloc.h"
#include "engine/geometry_chunk.h"
#include "engine/matrix4.h"
#include "engine/pstring.h"
#include "engine/scene.h"

namespace Kiv {

class Display;
class MaterialManager;
class PluginBase;
class RenderingCache;
class ResourceDatabase;
class Texture;
class TextureStageProgram;
class VertexProgram;

enum MaterialResult : int { kMaterialOk = 0, kMaterialNoTexture = 3, kMaterialNotLoaded = 4 };

// The tie between an object and the plug-in that made it (one reference held).
class PluginInstance {
public:
    PluginInstance() = default;
    virtual ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;
    void Assign(PluginBase* plugin);
    PluginBase* GetPlugin() const { return plugin_; }

private:
    PluginBase* plugin_ = nullptr;
};

// The colours and power a display lights a material with: colours 1 to 4 are the diffuse,
// ambient, specular and emissive colours.
struct DisplayMaterial {
    Color colors[4] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}, {0, 0, 0, 0}};
    float power = 0;
};

class Material : public ReferenceCount, public PluginInstance {
public:
    enum Flags : uint32_t {
        kCullNone = 1 << 0,        // cull mode 0 instead of 1
        kNoBlendFactors = 1 << 1,  // the material's blend factors are not applied
    };
    struct TextureDefinition {
        PString name;
        float amount = 0;
    };

    explicit Material(MaterialManager* manager) : manager_(manager) {}

    // A new material of typeName from manager (one reference), or null.
    static Material* CreateInstance(const PString& typeName, MaterialManager* manager);
    // The chunk flags of a geometry type and a (final) hint: the primitive kind bit, 0x40
    // unless skinned on the display, 0x1000 when skinned in software.
    static uint32_t MakeGeometryChunkFlags(int geometryType, const ChunkHint& hint);

    virtual Material* Clone() const = 0;
    virtual bool IsEqual(const Material& other) const;
    virtual void SetResourcePriority(int priority) { priority_ = priority; }
    // The name of the plug-in that made the material; null when none did.
    virtual PString GetTypeName() const;
    virtual void Activate(int) {}
    virtual GeometryChunk* CreateGeometryChunk(int vertices, int faces, int indices,
                                               int faceNormals, int geometryType,
                                               const ChunkHint& hint);
    virtual int DuplicateTexture(int) { return kMaterialNoTexture; }
    virtual Texture* GetTexture(int) const { return nullptr; }
    virtual int SetTexture(int, Texture*, float) { return kMaterialNoTexture; }
    virtual int SetTexture(int, ResourceDatabase*, const PString&, float) {
        return kMaterialNoTexture;
    }
    virtual int GetNumPasses() const { return 1; }
    virtual void Bind(Display& display, int pass);
    virtual void Unbind(Display& display, int pass);
    virtual void CacheChunk(Display& display, Viewport* viewport, GeometryChunk* chunk,
                            const LightList* lights, const Matrix4* model);
    // The engine's drawing: one pass with the fixed lighting.
    virtual void RenderChunk(Display& display, Viewport* viewport, GeometryChunk* chunk,
                             const LightList* lights, const Matrix4* model, int value);
    virtual void RenderNumChunks(Display& display, Viewport* viewport, GeometryChunk** chunks,
                                 const LightList** lights, const Matrix4** models, int count);
    virtual void RenderPrimitives(Display& display, Viewport* viewport, GeometryChunk* chunk,
                                  const LightList* lights, const Matrix4* model, int indexCount,
                                  const uint16_t* indices, int primitiveCount,
                                  int primitiveType, int value);
    virtual int IsLoaded() const { return kMaterialOk; }
    // The engine's estimate: 1 when the material is not fully opaque, else 0.
    virtual void CacheAlphaHint();
    virtual void SetDisplayState(Display&) {}
    virtual void ClearDisplayState(Display&) {}
    // The rendering caches CacheChunk uses; null in the base.
    virtual RenderingCache* GetAlphaBlendCache() const { return nullptr; }

    // Records "SetLightingState <opacity> <specular r g b a>"; the fixed lighting itself is
    // the display's.
    void SetLightingState(Display& display, const Matrix4* view, GeometryChunk* chunk,
                          const VertexProgram* program, const LightList* lights,
                          const Matrix4* model, float opacity, bool flag);

    MaterialManager* GetManager() const { return manager_; }
    void SetDisplayMaterialProperties(const DisplayMaterial& display);
    DisplayMaterial GetDisplayMaterialProperties() const;
    // Named text properties, kept in the order added.
    void AddProperty(const PString& key, const PString& value);
    const std::vector<std::pair<PString, PString>>& GetProperties() const { return properties_; }
    float power = 0;
    Color ambient{1, 1, 1, 1};
    Color diffuse{1, 1, 1, 1};
    Color specular{0, 0, 0, 1};
    Color emissive{0, 0, 0, 0};
    float opacityFactor = 1.0f;
    uint32_t flags = 0;
    int blendSource = 4;
    int blendDestination = 5;
    int GetPriority() const { return priority_; }
    int GetCachedAlphaHint() const { return alphaHint_; }
    void SetCachedAlphaHint(int hint) { alphaHint_ = hint; }
    void SetTextureDefinition(int index, const PString& name, float amount);
    const TextureDefinition* GetTextureDefinition(int index) const;

    // The viewport camera's view transform; null without a viewport or camera.
    static const Matrix4* ViewTransformOf(const Viewport* viewport);

protected:
    // The lighting state and model matrix of a one-pass draw (opacity: the chunk's times
    // the material's).
    void PrepareSinglePass(Display& display, Viewport* viewport, GeometryChunk* chunk,
                           const LightList* lights, const Matrix4* model);
    // Copies the settings every material has (colours, opacity, flags, blend factors,
    // priority, alpha hint, texture definitions) from other.
    void InitInstance(const Material& other);
    // Whether the material's own settings equal other's (those InitInstance copies).
    bool BaseEqual(const Material& other) const;

private:
    MaterialManager* manager_;
    int priority_ = 0;
    int alphaHint_ = -1;
    std::map<int, TextureDefinition> textureDefinitions_;
    std::vector<std::pair<PString, PString>> properties_;
};

// Replaces *slot by texture (which gains a reference; the old one loses one).
void ReplaceTexture(Texture*& slot, Texture* texture);

// One base texture (index 0) and an optional texture-stage program, with the plug-in's
// chunk, mask and blend caches (not owned).
class OneTextureMaterial : public Material {
public:
    static constexpr const char* UNDECORATED_TYPE = "m.onetex";
    static constexpr const char* kPluginName = "onetex";

    OneTextureMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                       RenderingCache* maskCache, RenderingCache* blendCache);
    ~OneTextureMaterial() override;

    Material* Clone() const override;
    bool IsEqual(const Material& other) const override;
    PString GetTypeName() const override;
    void SetResourcePriority(int priority) override;
    void Activate(int level) override;
    int DuplicateTexture(int index) override;
    Texture* GetTexture(int index) const override;
    int SetTexture(int index, Texture* texture, float amount) override;
    int SetTexture(int index, ResourceDatabase* database, const PString& name,
                   float amount) override;
    int IsLoaded() const override;
    void SetDisplayState(Display& display) override;
    void ClearDisplayState(Display& display) override;
    RenderingCache* GetAlphaBlendCache() const override { return blendCache_; }

    TextureStageProgram* GetStageProgram() const { return stageProgram_; }
    void SetStageProgram(TextureStageProgram* program) { stageProgram_ = program; }
    RenderingCache* GetChunkCache() const { return chunkCache_; }
    RenderingCache* GetMaskCache() const { return maskCache_; }

protected:
    // Material::InitInstance, then the base texture and the stage program.
    void InitInstance(const OneTextureMaterial& other);
    bool OneTextureEqual(const OneTextureMaterial& other) const;
    // The texture of name from the manager's texture manager, one reference; or null.
    Texture* LookUpTexture(ResourceDatabase* database, const PString& name) const;
    // Replaces the base texture without touching its definition.
    void SetBaseTexture(Texture* texture);

private:
    RenderingCache* chunkCache_;
    RenderingCache* maskCache_;
    RenderingCache* blendCache_;
    Texture* baseTexture_ = nullptr;
    TextureStageProgram* stageProgram_ = nullptr;
    int savedBlendSource_ = 1;
    int savedBlendDestination_ = 0;
};

// A one-texture material with a reflection texture (index 9), its amount, the
// texture-stage programs of its passes and the reflection matrix.
class ReflectiveMaterial : public OneTextureMaterial {
public:
    static constexpr int kReflectionIndex = 9;
    static constexpr int kMaxStagePrograms = 4;

    ReflectiveMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                       RenderingCache* blendCache, int programCount,
                       TextureStageProgram* const* programs);
    ~ReflectiveMaterial() override;

    Material* Clone() const override;
    bool IsEqual(const Material& other) const override;
    PString GetTypeName() const override;
    Texture* GetTexture(int index) const override;
    int SetTexture(int index, Texture* texture, float amount) override;

    Texture* GetReflectionTexture() const { return reflectionTexture_; }
    float GetReflectionAmount() const { return reflectionAmount_; }
    int GetStageProgramCount() const { return programCount_; }
    TextureStageProgram* GetStageProgramAt(int i) const;
    const Matrix4& GetReflectionMatrix() const { return reflectionMatrix_; }
    void SetReflectionMatrix(const Matrix4& matrix) { reflectionMatrix_ = matrix; }

    // Texture-coordinate generation for a draw with or without a vertex program.
    void ChangeTexGen(Display& display, bool withVertexProgram) const;
    // Sphere-map coordinates of the chunk under the model matrix.
    void SetSphericalTexureCoordinates(Display& display, GeometryChunk* chunk,
                                       const Matrix4* model) const;

protected:
    void InitInstance(const ReflectiveMaterial& other);
    bool ReflectiveEqual(const ReflectiveMaterial& other) const;

private:
    Texture* reflectionTexture_ = nullptr;
    float reflectionAmount_ = 0;
    int programCount_ = 0;
    TextureStageProgram* programs_[kMaxStagePrograms] = {};
    Matrix4 reflectionMatrix_;
};

// A material without textures.
class NullMaterial : public Material {
public:
    static constexpr const char* kPluginName = "notex";
    using Material::Material;
    Material* Clone() const override;
    bool IsEqual(const Material& other) const override;
    PString GetTypeName() const override { return PString(kPluginName); }
};

}  // namespace Kiv
