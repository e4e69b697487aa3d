// KodrinBumpMaterial: the normal-map slot, its chunks and display states, and its two
// lighting passes.
#include <typeinfo>

#include "content3d/materials/bump_materials.h"
#include "engine/display.h"
#include "engine/material_manager.h"
#include "engine/texture.h"
#include "engine/texture_combiner.h"
#include "engine/vertex_program.h"

namespace Kiv {

namespace {

constexpr int kNormalMapStage = 1;
// Specular in register 2, zeroed without a light; spot pass blended (source alpha, one).
constexpr KodrinBumpMaterial::PassSettings kBumpPasses{kSpecularRegister, true, 4, 1, nullptr};

// Shared texture 0 of the manager's texture manager, one reference; or null.
Texture* SharedTextureZero(MaterialManager* manager) {
    if (!manager || !manager->GetTextureManager()) return nullptr;
    return manager->GetTextureManager()->GetSharedTextures().GetTexture(0);
}

void SetLerp(Display& display, TextureCombiner* combiner, const float* lerp) {
    if (combiner && lerp) combiner->SetConstant(display, kLerpRegister, {*lerp, *lerp, *lerp, *lerp});
}

template <typename T>
void AddReference(T* object) {
    if (object) object->AddReference();
}

template <typename T>
void Release(T*& object) {
    if (object) object->ReleaseReference();
    object = nullptr;
}

}  // namespace

void AddProgramReferences(const BumpPrograms& programs) {
    AddReference(programs.parallelVertex);
    AddReference(programs.parallelCombiner);
    AddReference(programs.spotVertex);
    AddReference(programs.spotCombiner);
}

void ReleasePrograms(BumpPrograms& programs) {
    Release(programs.parallelVertex);
    Release(programs.parallelCombiner);
    Release(programs.spotVertex);
    Release(programs.spotCombiner);
}

KodrinBumpMaterial::KodrinBumpMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                                       RenderingCache* maskCache, RenderingCache* blendCache,
                                       const BumpPrograms& programs)
    : OneTextureMaterial(manager, chunkCache, maskCache, blendCache), programs_(programs) {
    AddProgramReferences(programs_);
    Texture* shared = SharedTextureZero(manager);
    bump_.Fill(shared);
    if (shared) shared->ReleaseReference();
    SetCachedAlphaHint(0);
}

KodrinBumpMaterial::~KodrinBumpMaterial() {
    ReleasePrograms(programs_);
}

Material* KodrinBumpMaterial::Clone() const {
    auto* copy = dynamic_cast<KodrinBumpMaterial*>(CreateInstance(GetTypeName(), GetManager()));
    if (!copy) return nullptr;
    copy->InitInstance(*this);
    copy->CopyBumpTexture(*this);
    return copy;
}

bool KodrinBumpMaterial::IsEqual(const Material& other) const {
    if (typeid(*this) != typeid(other)) return false;
    const auto& same = static_cast<const KodrinBumpMaterial&>(other);
    return SameBumpTexture(same) && OneTextureEqual(same);
}

void KodrinBumpMaterial::Activate(int level) {
    bump_.Activate(level);
    OneTextureMaterial::Activate(level);
}

GeometryChunk* KodrinBumpMaterial::CreateBumpChunk(int vertices, int faces, int indices,
                                                   int faceNormals, int geometryType,
                                                   const ChunkHint& given) {
    ChunkHint hint = given;
    bool softwareSkinned = false;
    if (hint.IsStandard()) {
        hint.flags &= ~ChunkHint::kSoftwareLighting;
        if (hint.flags & ChunkHint::kSkinned) {
            hint.flags |= ChunkHint::kSoftwareSkinning;
            softwareSkinned = true;
        }
    }
    auto* chunk = new GeometryChunkTemplate<PackedVertexPNTA, GeometryChunkSingleStream>(
        vertices, faces, indices, faceNormals, MakeGeometryChunkFlags(geometryType, hint), hint);
    const bool dynamic = hint.vertexBufferMode == 1 || (hint.vertexBufferMode != 0 && softwareSkinned);
    if (dynamic) chunk->SetVertexDataDynamic(0, -2, true);
    if (softwareSkinned) chunk->SetVertexDataShared(0, 0, false);
    if (hint.indexBufferMode == 1) chunk->SetIndexDataDynamic();
    return chunk;
}

GeometryChunk* KodrinBumpMaterial::CreateGeometryChunk(int vertices, int faces, int indices,
                                                       int faceNormals, int geometryType,
                                                       const ChunkHint& hint) {
    return CreateBumpChunk(vertices, faces, indices, faceNormals, geometryType, hint);
}

int KodrinBumpMaterial::DuplicateTexture(int index) {
    return index == kBumpIndex ? bump_.Duplicate() : OneTextureMaterial::DuplicateTexture(index);
}

Texture* KodrinBumpMaterial::GetTexture(int index) const {
    return index == kBumpIndex ? bump_.Get() : OneTextureMaterial::GetTexture(index);
}

int KodrinBumpMaterial::SetTexture(int index, Texture* texture, float amount) {
    if (index != kBumpIndex) return OneTextureMaterial::SetTexture(index, texture, amount);
    return bump_.Set(*this, texture, amount);
}

int KodrinBumpMaterial::SetTexture(int index, ResourceDatabase* database, const PString& name,
                                   float amount) {
    if (index != kBumpIndex) return OneTextureMaterial::SetTexture(index, database, name, amount);
    return bump_.SetByName(*this, database, name, amount, true);
}

int KodrinBumpMaterial::IsLoaded() const {
    return bump_.IsLoaded() ? OneTextureMaterial::IsLoaded() : kMaterialNotLoaded;
}

void KodrinBumpMaterial::SetDisplayState(Display& display) {
    display.BindTexture(kNormalMapStage, bump_.Get());
    OneTextureMaterial::SetDisplayState(display);
}

void KodrinBumpMaterial::ClearDisplayState(Display& display) {
    display.ResetTextureStage(kNormalMapStage);
    OneTextureMaterial::ClearDisplayState(display);
}

void KodrinBumpMaterial::DrawParallelPass(Display& display, Viewport& viewport,
                                          const ChosenLights& lights, const Matrix4& model,
                                          const PassSettings& settings, const DrawCall& draw) {
    const BumpPass pass{programs_.parallelVertex, programs_.parallelCombiner,
                        settings.specularRegister};
    SetLerp(display, pass.combiner, settings.lerp);
    SetParallelPassConstants(display, viewport, *this, lights, model, pass, settings.zeroSpecular);
    if (pass.combiner) pass.combiner->Bind(display);
    draw(pass.vertexProgram);
    if (pass.combiner) pass.combiner->Unbind(display);
}

void KodrinBumpMaterial::DrawSpotPass(Display& display, Viewport& viewport,
                                      const ChosenLights& lights, const Matrix4& model,
                                      const PassSettings& settings, const DrawCall& draw) {
    if (!lights.spot) return;
    const AdditivePassStates states(display, settings.spotSource, settings.spotDestination);
    const BumpPass pass{programs_.spotVertex, programs_.spotCombiner, settings.specularRegister};
    SetLerp(display, pass.combiner, settings.lerp);
    SetSpotPassConstants(display, viewport, *this, lights, model, pass);
    if (pass.combiner) pass.combiner->Bind(display);
    draw(pass.vertexProgram);
    if (pass.combiner) pass.combiner->Unbind(display);
}

void KodrinBumpMaterial::Draw(Display& display, Viewport* viewport, const LightList* lights,
                              const Matrix4* model, const DrawCall& draw) {
    if (!viewport) return;
    const Matrix4 placement = model ? *model : Matrix4();
    const ChosenLights chosen = ChooseLights(display, lights);
    SetDisplayState(display);
    DrawParallelPass(display, *viewport, chosen, placement, kBumpPasses, draw);
    DrawSpotPass(display, *viewport, chosen, placement, kBumpPasses, draw);
    ClearDisplayState(display);
}

void KodrinBumpMaterial::RenderChunk(Display& display, Viewport* viewport, GeometryChunk* chunk,
                                     const LightList* lights, const Matrix4* model, int) {
    if (!chunk) return;
    Draw(display, viewport, lights, model, [&](const VertexProgram* program) {
        chunk->RenderGeometry(display, viewport, program, true, 0);
    });
}

void KodrinBumpMaterial::RenderPrimitives(Display& display, Viewport* viewport,
                                          GeometryChunk* chunk, const LightList* lights,
                                          const Matrix4* model, int indexCount,
                                          const uint16_t* indices, int primitiveCount,
                                          int primitiveType, int) {
    if (!chunk) return;
    Draw(display, viewport, lights, model, [&](const VertexProgram* program) {
        chunk->RenderPrimitives(display, viewport, program, indexCount, indices, primitiveCount,
                                primitiveType);
    });
}

void KodrinBumpMaterial::RenderNumChunks(Display& display, Viewport* viewport,
                                         GeometryChunk** chunks, const LightList** lights,
                                         const Matrix4** models, int count) {
    if (!viewport || !chunks) return;
    auto each = [&](auto pass) {
        for (int i = 0; i < count; ++i) {
            if (!chunks[i]) continue;
            const Matrix4 placement = models && models[i] ? *models[i] : Matrix4();
            const ChosenLights chosen = ChooseLights(display, lights ? lights[i] : nullptr);
            pass(chosen, placement, [&](const VertexProgram* program) {
                chunks[i]->RenderGeometry(display, viewport, program, true, 0);
            });
        }
    };
    SetDisplayState(display);
    each([&](const ChosenLights& chosen, const Matrix4& placement, const DrawCall& draw) {
        DrawParallelPass(display, *viewport, chosen, placement, kBumpPasses, draw);
    });
    each([&](const ChosenLights& chosen, const Matrix4& placement, const DrawCall& draw) {
        DrawSpotPass(display, *viewport, chosen, placement, kBumpPasses, draw);
    });
    ClearDisplayState(display);
}

}  // namespace Kiv
