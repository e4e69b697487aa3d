// KodrinBumpGlossMaterial: the gloss map faded by the chunk's "RustAge", with white ambient
// for the whole chunk.
#include <typeinfo>

#include "content3d/materials/bump_materials.h"
#include "engine/display.h"

namespace Kiv {

namespace {

constexpr int kGlossStage = 3;
constexpr int kNormalMapStage = 1;
constexpr float kVisibleGloss = 1.0f / 255.0f;  // 0.003921569
constexpr Color kWhite{1, 1, 1, 1};

}  // namespace

KodrinBumpGlossMaterial::KodrinBumpGlossMaterial(MaterialManager* manager,
                                                 RenderingCache* chunkCache,
                                                 RenderingCache* maskCache,
                                                 RenderingCache* blendCache,
                                                 const BumpPrograms& programs,
                                                 const BumpPrograms& rustPrograms)
    : KodrinBumpIndex9Material(manager, chunkCache, maskCache, blendCache, programs),
      rustPrograms_(rustPrograms) {
    AddProgramReferences(rustPrograms_);
}

KodrinBumpGlossMaterial::~KodrinBumpGlossMaterial() {
    ReleasePrograms(rustPrograms_);
}

Material* KodrinBumpGlossMaterial::Clone() const {
    auto* copy = dynamic_cast<KodrinBumpGlossMaterial*>(CreateInstance(GetTypeName(), GetManager()));
    if (!copy) return nullptr;
    copy->InitInstance(*this);
    copy->CopyBumpTexture(*this);
    copy->CopyIndex9(*this);
    return copy;
}

bool KodrinBumpGlossMaterial::IsEqual(const Material& other) const {
    return typeid(*this) == typeid(other) &&
           Index9Equal(static_cast<const KodrinBumpIndex9Material&>(other));
}

void KodrinBumpGlossMaterial::Activate(int level) {
    GetIndex9Slot().Activate(level);
    KodrinBumpMaterial::Activate(level);
}

GeometryChunk* KodrinBumpGlossMaterial::CreateGeometryChunk(int vertices, int faces, int indices,
                                                            int faceNormals, int geometryType,
                                                            const ChunkHint& hint) {
    GeometryChunk* chunk = KodrinBumpIndex9Material::CreateGeometryChunk(
        vertices, faces, indices, faceNormals, geometryType, hint);
    chunk->AddChunkProperty(kRustAge);
    chunk->SetChunkProperty(kRustAge, 0.0f);
    return chunk;
}

void KodrinBumpGlossMaterial::SetDisplayState(Display& display) {
    display.BindTexture(kGlossStage, GetIndex9Slot().Get());
    display.BindTexture(kNormalMapStage, GetBumpSlot().Get());
    OneTextureMaterial::SetDisplayState(display);
}

void KodrinBumpGlossMaterial::RenderChunk(Display& display, Viewport* viewport,
                                          GeometryChunk* chunk, const LightList* lights,
                                          const Matrix4* model, int) {
    if (!viewport || !chunk) return;
    const float lerp = GetGlossAmount() * (1.0f - 2.0f * chunk->GetChunkProperty(kRustAge));
    const Color savedAmbient = ambient;
    ambient = kWhite;
    SetDisplayState(display);
    if (lerp > kVisibleGloss) {
        const Matrix4 placement = model ? *model : Matrix4();
        const ChosenLights chosen = ChooseLights(display, lights);
        const DrawCall draw = [&](const VertexProgram* program) {
            chunk->RenderGeometry(display, viewport, program, true, 0);
        };
        // Specular in register 3 and kept without a light; spot pass blended (one, one).
        const PassSettings settings{kGlossSpecularRegister, false, 1, 1, &lerp};
        DrawParallelPass(display, *viewport, chosen, placement, settings, draw);
        DrawSpotPass(display, *viewport, chosen, placement, settings, draw);
    }
    ClearDisplayState(display);
    ambient = savedAmbient;
}

}  // namespace Kiv
