// The gloss-rust material: chunks, and the reflective and rust passes.
#include "content3d/materials/gloss_rust_material.h"

#include <algorithm>
#include <typeinfo>

#include "engine/display.h"
#include "engine/texture.h"

namespace Kiv {

namespace {

constexpr float kVisibleReflection = 1.0f / 255.0f;  // 0.003921569
constexpr int kReflectionStage = 1;
constexpr int kRustPrograms = 4;
constexpr Color kWhite{1, 1, 1, 1};

Color Scaled(const Color& color, float factor) {
    return {color.r * factor, color.g * factor, color.b * factor, color.a * factor};
}

float Clamp01(float value) {
    return std::clamp(value, 0.0f, 1.0f);
}

}  // namespace

Material* KodrinGlossRustMaterial::Clone() const {
    auto* copy = dynamic_cast<KodrinGlossRustMaterial*>(CreateInstance(GetTypeName(), GetManager()));
    if (copy) copy->InitInstance(*this);
    return copy;
}

bool KodrinGlossRustMaterial::IsEqual(const Material& other) const {
    return typeid(*this) == typeid(other) &&
           ReflectiveEqual(static_cast<const ReflectiveMaterial&>(other));
}

GeometryChunk* KodrinGlossRustMaterial::CreateGeometryChunk(int vertices, int faces, int indices,
                                                            int faceNormals, int geometryType,
                                                            const ChunkHint& hint) {
    GeometryChunk* chunk = ReflectiveMaterial::CreateGeometryChunk(vertices, faces, indices,
                                                                   faceNormals, geometryType, hint);
    if (!(chunk->GetFlags() & GeometryChunk::kSoftwareSkinned)) {
        chunk->SetVertexDataShared(0, -3, false);
    }
    chunk->AddChunkProperty(kRustAge);
    chunk->SetChunkProperty(kRustAge, 0.0f);
    return chunk;
}

void KodrinGlossRustMaterial::ClearDisplayState(Display& display) {
    ReflectiveMaterial::ClearDisplayState(display);
    display.ResetTextureStage(1);
    display.ResetTextureStage(0);
}

void KodrinGlossRustMaterial::ApplyPrograms(Display& display, int first) const {
    display.ApplyTextureStageProgram(GetStageProgramAt(first));
    display.ApplyTextureStageProgram(GetStageProgramAt(first + 1));
}

bool KodrinGlossRustMaterial::IsCubeMapped() const {
    return GetReflectionTexture()->GetKind() == Texture::kCubeMap;
}

void KodrinGlossRustMaterial::ReflectiveSetup(Display& display, GeometryChunk* chunk,
                                              const Matrix4* model, float strength,
                                              const Matrix4* rotation) const {
    display.SetTextureStageConstant(0, {strength, strength, strength, strength});
    display.SetTextureStageConstant(1, {strength, strength, strength, strength});
    Texture* reflection = GetReflectionTexture();
    if ((flags & kCullNone) || IsCubeMapped()) {
        if (rotation && reflection->IsLoaded() && IsCubeMapped()) {
            const Matrix4 cube = rotation->RotationTransposed() * GetReflectionMatrix();
            display.SetCurrentTextureMatrix(cube);
            display.SetTextureMatrix(kReflectionStage, cube);
        }
    } else {
        SetSphericalTexureCoordinates(display, chunk, model);
    }
}

void KodrinGlossRustMaterial::RustConstants(Display& display, const LightList* lights,
                                            const Color& savedAmbient, float rustAge) const {
    Color sum = display.GetSceneAmbient();
    if (lights) {
        for (const DisplayLight* light : *lights) {
            if (!light) continue;
            sum.r += light->ambient.r;
            sum.g += light->ambient.g;
            sum.b += light->ambient.b;
        }
    }
    const Color constant{Clamp01(sum.r) * savedAmbient.r, Clamp01(sum.g) * savedAmbient.g,
                         Clamp01(sum.b) * savedAmbient.b, std::max(0.0f, (rustAge - 0.5f) * 2.0f)};
    display.SetTextureStageConstant(0, constant);
    display.SetTextureStageConstant(1, constant);
}

void KodrinGlossRustMaterial::Draw(Display& display, Viewport* viewport, GeometryChunk* chunk,
                                   const LightList* lights, const Matrix4* model,
                                   const DrawCall& draw) {
    if (!chunk || !GetReflectionTexture()) return;
    const float rustAge = chunk->GetChunkProperty(kRustAge);
    const Color savedAmbient = ambient;
    const Color savedSpecular = specular;
    ambient = kWhite;
    if (rustAge > 0.5f) specular = Scaled(savedSpecular, 1.5f - rustAge);
    OneTextureMaterial::SetDisplayState(display);
    if (GetStageProgramCount() > 0) display.BindTexture(kReflectionStage, GetReflectionTexture());
    PrepareSinglePass(display, viewport, chunk, lights, model);
    const float strength = (1.0f - 2.0f * rustAge) * GetReflectionAmount();
    if (strength > kVisibleReflection) {
        ChangeTexGen(display, false);
        if (GetStageProgramCount() > 1) ApplyPrograms(display, 0);
        const Matrix4* view = viewport && (flags & kNoBlendFactors) ? ViewTransformOf(viewport) : nullptr;
        ReflectiveSetup(display, chunk, model, strength, view);
        draw();
        const uint32_t texGenBit = IsCubeMapped() ? kNoBlendFactors : kCullNone;
        if (flags & texGenBit) display.SetTextureCoordGen(kReflectionStage, 0, 2);
        display.ResetTextureMatrix(kReflectionStage);
    } else {
        if (GetStageProgramCount() >= kRustPrograms) ApplyPrograms(display, 2);
        RustConstants(display, lights, savedAmbient, rustAge);
        draw();
    }
    ClearDisplayState(display);
    ambient = savedAmbient;
    specular = savedSpecular;
}

void KodrinGlossRustMaterial::RenderChunk(Display& display, Viewport* viewport,
                                          GeometryChunk* chunk, const LightList* lights,
                                          const Matrix4* model, int) {
    Draw(display, viewport, chunk, lights, model, [&] {
        chunk->RenderGeometry(display, viewport, chunk->GetVertexProgram(0), true, 0);
    });
}

void KodrinGlossRustMaterial::RenderPrimitives(Display& display, Viewport* viewport,
                                               GeometryChunk* chunk, const LightList* lights,
                                               const Matrix4* model, int indexCount,
                                               const uint16_t* indices, int primitiveCount,
                                               int primitiveType, int) {
    Draw(display, viewport, chunk, lights, model, [&] {
        chunk->RenderPrimitives(display, viewport, chunk->GetVertexProgram(0), indexCount,
                                indices, primitiveCount, primitiveType);
    });
}

void KodrinGlossRustMaterial::RenderNumChunks(Display& display, Viewport* viewport,
                                              GeometryChunk** chunks, const LightList** lights,
                                              const Matrix4** models, int count) {
    if (!chunks || !GetReflectionTexture()) return;
    const Color savedAmbient = ambient;
    const Color savedSpecular = specular;
    ambient = kWhite;
    OneTextureMaterial::SetDisplayState(display);
    if (GetStageProgramCount() > 0) display.BindTexture(kReflectionStage, GetReflectionTexture());
    bool withProgram = count > 0 && chunks[0] && chunks[0]->GetVertexProgram(0);
    ChangeTexGen(display, false);
    if (GetStageProgramCount() > 1) ApplyPrograms(display, 0);
    for (int i = 0; i < count; ++i) {
        GeometryChunk* chunk = chunks[i];
        if (!chunk) continue;
        const float strength = (1.0f - 2.0f * chunk->GetChunkProperty(kRustAge)) * GetReflectionAmount();
        if (strength <= kVisibleReflection) continue;
        const bool chunkHasProgram = chunk->GetVertexProgram(0) != nullptr;
        if (chunkHasProgram != withProgram) {
            ChangeTexGen(display, false);
            withProgram = chunkHasProgram;
        }
        const Matrix4* model = models ? models[i] : nullptr;
        PrepareSinglePass(display, viewport, chunk, lights ? lights[i] : nullptr, model);
        ReflectiveSetup(display, chunk, model, strength, viewport ? model : nullptr);
        chunk->RenderGeometry(display, viewport, chunk->GetVertexProgram(0), true, 0);
    }
    display.ResetTextureMatrix(kReflectionStage);
    display.SetTextureCoordGen(kReflectionStage, 0, 2);
    if (GetStageProgramCount() >= kRustPrograms) ApplyPrograms(display, 2);
    for (int i = 0; i < count; ++i) {
        GeometryChunk* chunk = chunks[i];
        if (!chunk) continue;
        const float rustAge = chunk->GetChunkProperty(kRustAge);
        if (rustAge < 0.5f) continue;
        specular = Scaled(savedSpecular, 1.5f - rustAge);
        const LightList* chunkLights = lights ? lights[i] : nullptr;
        PrepareSinglePass(display, viewport, chunk, chunkLights, models ? models[i] : nullptr);
        RustConstants(display, chunkLights, savedAmbient, rustAge);
        chunk->RenderGeometry(display, viewport, chunk->GetVertexProgram(0), true, 0);
        specular = savedSpecular;
    }
    ClearDisplayState(display);
    ambient = savedAmbient;
}

}  // namespace Kiv
