// Kiv::Material: the plug-in tie, settings copied between instances, chunk flags and the
// engine's one-pass drawing.
#include "engine/material.h"

#include <typeinfo>

#include "engine/display.h"
#include "engine/material_manager.h"
#include "engine/plugin_base.h"
#include "engine/rendering_cache.h"

namespace Kiv {

PluginInstance::~PluginInstance() {
    if (plugin_) plugin_->ReleaseReference();
}

void PluginInstance::Assign(PluginBase* plugin) {
    if (plugin) plugin->AddReference();
    if (plugin_) plugin_->ReleaseReference();
    plugin_ = plugin;
}

Material* Material::CreateInstance(const PString& typeName, MaterialManager* manager) {
    return manager ? manager->CreateByType(typeName) : nullptr;
}

uint32_t Material::MakeGeometryChunkFlags(int geometryType, const ChunkHint& hint) {
    uint32_t chunkFlags = GeometryChunk::KindOfGeometryType(geometryType);
    if (!hint.IsSkinnedOnDisplay()) chunkFlags |= GeometryChunk::kNotSkinnedOnDisplay;
    const uint8_t software = ChunkHint::kSkinned | ChunkHint::kSoftwareSkinning;
    if ((hint.flags & software) == software) chunkFlags |= GeometryChunk::kSoftwareSkinned;
    return chunkFlags;
}

bool Material::IsEqual(const Material& other) const {
    return typeid(*this) == typeid(other) && BaseEqual(other);
}

GeometryChunk* Material::CreateGeometryChunk(int vertices, int faces, int indices,
                                             int faceNormals, int geometryType,
                                             const ChunkHint& hint) {
    return new GeometryChunkTemplate<PackedVertexPNT, GeometryChunkSingleStream>(
        vertices, faces, indices, faceNormals, MakeGeometryChunkFlags(geometryType, hint), hint);
}

void Material::Bind(Display& display, int pass) {
    if (pass == 0) SetDisplayState(display);
}

void Material::Unbind(Display& display, int pass) {
    if (pass == 0) ClearDisplayState(display);
}

void Material::CacheChunk(Display& display, Viewport* viewport, GeometryChunk* chunk,
                          const LightList* lights, const Matrix4* model) {
    if (!chunk) return;
    if (alphaHint_ < 0) CacheAlphaHint();
    const bool opaque = alphaHint_ == 0 && opacityFactor * chunk->GetOpacity() >= 1.0f;
    RenderingCache* blendCache = GetAlphaBlendCache();
    if (opaque || !blendCache) {
        RenderChunk(display, viewport, chunk, lights, model, -1);
        return;
    }
    blendCache->AddChunk(display, viewport, this, chunk, lights, model);
}

const Matrix4* Material::ViewTransformOf(const Viewport* viewport) {
    return viewport && viewport->GetCamera() ? &viewport->GetCamera()->GetViewTransform()
                                             : nullptr;
}

void Material::PrepareSinglePass(Display& display, Viewport* viewport, GeometryChunk* chunk,
                                 const LightList* lights, const Matrix4* model) {
    SetLightingState(display, ViewTransformOf(viewport), chunk, chunk->GetVertexProgram(0),
                     lights, model, chunk->GetOpacity() * opacityFactor, false);
    if (model) display.SetModelMatrix(*model);
}

void Material::RenderChunk(Display& display, Viewport* viewport, GeometryChunk* chunk,
                           const LightList* lights, const Matrix4* model, int) {
    if (!chunk) return;
    SetDisplayState(display);
    PrepareSinglePass(display, viewport, chunk, lights, model);
    chunk->RenderGeometry(display, viewport, chunk->GetVertexProgram(0), true, 0);
    ClearDisplayState(display);
}

void Material::RenderNumChunks(Display& display, Viewport* viewport, GeometryChunk** chunks,
                               const LightList** lights, const Matrix4** models, int count) {
    for (int i = 0; i < count; ++i) {
        RenderChunk(display, viewport, chunks[i], lights ? lights[i] : nullptr,
                    models ? models[i] : nullptr, -1);
    }
}

void Material::RenderPrimitives(Display& display, Viewport* viewport, GeometryChunk* chunk,
                                const LightList* lights, const Matrix4* model, int indexCount,
                                const uint16_t* indices, int primitiveCount, int primitiveType,
                                int) {
    if (!chunk) return;
    SetDisplayState(display);
    PrepareSinglePass(display, viewport, chunk, lights, model);
    chunk->RenderPrimitives(display, viewport, chunk->GetVertexProgram(0), indexCount, indices,
                            primitiveCount, primitiveType);
    ClearDisplayState(display);
}

void Material::CacheAlphaHint() {
    alphaHint_ = opacityFactor < 1.0f ? 1 : 0;
}

void Material::SetLightingState(Display& display, const Matrix4*, GeometryChunk*,
                                const VertexProgram*, const LightList*, const Matrix4*,
                                float opacity, bool) {
    display.Record("SetLightingState %g %g %g %g %g", opacity, specular.r, specular.g,
                   specular.b, specular.a);
}

void Material::SetTextureDefinition(int index, const PString& name, float amount) {
    textureDefinitions_[index] = {name, amount};
}

const Material::TextureDefinition* Material::GetTextureDefinition(int index) const {
    const auto found = textureDefinitions_.find(index);
    return found == textureDefinitions_.end() ? nullptr : &found->second;
}

PString Material::GetTypeName() const {
    return GetPlugin() ? GetPlugin()->GetName() : PString();
}

void Material::InitInstance(const Material& other) {
    ambient = other.ambient;
    diffuse = other.diffuse;
    specular = other.specular;
    emissive = other.emissive;
    opacityFactor = other.opacityFactor;
    flags = other.flags;
    blendSource = other.blendSource;
    blendDestination = other.blendDestination;
    priority_ = other.priority_;
    alphaHint_ = other.alphaHint_;
    textureDefinitions_ = other.textureDefinitions_;
    power = other.power;
    properties_ = other.properties_;
}

bool Material::BaseEqual(const Material& other) const {
    return ambient == other.ambient && diffuse == other.diffuse && specular == other.specular &&
           emissive == other.emissive && opacityFactor == other.opacityFactor &&
           flags == other.flags && blendSource == other.blendSource &&
           blendDestination == other.blendDestination;
}

void Material::SetDisplayMaterialProperties(const DisplayMaterial& display) {
    diffuse = display.colors[0];
    ambient = display.colors[1];
    specular = display.colors[2];
    emissive = display.colors[3];
    power = display.power;
}

DisplayMaterial Material::GetDisplayMaterialProperties() const {
    DisplayMaterial display;
    display.colors[0] = diffuse;
    display.colors[1] = ambient;
    display.colors[2] = specular;
    display.colors[3] = emissive;
    display.power = power;
    return display;
}

void Material::AddProperty(const PString& key, const PString& value) {
    properties_.emplace_back(key, value);
}

}  // namespace Kiv
