// KodrinBumpEnvMaterial: the bump passes with an environment map at stage 3 and the
// cube-map texture matrix of stage 1.
#include <typeinfo>

#include "content3d/materials/bump_materials.h"
#include "engine/display.h"

namespace Kiv {

namespace {

constexpr int kEnvironmentStage = 3;
constexpr int kCubeMatrixStage = 1;
// Specular in register 2 and kept without a light; spot pass blended (source alpha, one).
constexpr KodrinBumpMaterial::PassSettings kEnvPasses{kSpecularRegister, false, 4, 1, nullptr};

EnvironmentMapProvider g_environmentMapProvider = nullptr;

}  // namespace

void SetEnvironmentMapProvider(EnvironmentMapProvider provider) {
    g_environmentMapProvider = provider;
}

KodrinBumpEnvMaterial::KodrinBumpEnvMaterial(MaterialManager* manager,
                                             RenderingCache* chunkCache,
                                             RenderingCache* maskCache,
                                             RenderingCache* blendCache,
                                             const BumpPrograms& programs)
    : KodrinBumpIndex9Material(manager, chunkCache, maskCache, blendCache, programs) {}

Matrix4 KodrinBumpEnvMaterial::EnvTextureMatrix() {
    return Matrix4(std::array<float, 16>{1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1});
}

Material* KodrinBumpEnvMaterial::Clone() const {
    auto* copy = dynamic_cast<KodrinBumpEnvMaterial*>(CreateInstance(GetTypeName(), GetManager()));
    if (!copy) return nullptr;
    copy->InitInstance(*this);
    copy->CopyBumpTexture(*this);
    copy->CopyIndex9(*this);
    copy->envTextureMatrix_ = envTextureMatrix_;
    return copy;
}

bool KodrinBumpEnvMaterial::IsEqual(const Material& other) const {
    return typeid(*this) == typeid(other) &&
           Index9Equal(static_cast<const KodrinBumpIndex9Material&>(other));
}

void KodrinBumpEnvMaterial::RenderChunk(Display& display, Viewport* viewport,
                                        GeometryChunk* chunk, const LightList* lights,
                                        const Matrix4* model, int) {
    if (!viewport || !chunk) return;
    const Matrix4 placement = model ? *model : Matrix4();
    const ChosenLights chosen = ChooseLights(display, lights);
    SetDisplayState(display);
    Texture* environment =
        g_environmentMapProvider ? g_environmentMapProvider(this, viewport) : nullptr;
    if (environment) {
        display.BindTexture(kEnvironmentStage, environment);
    } else {
        display.BindDefaultStageTexture(kEnvironmentStage);
    }
    if (GetIndex9Slot().Get()) {
        const Matrix4* view = ViewTransformOf(viewport);
        const Matrix4 rotation = view ? view->RotationTransposed() : Matrix4();
        display.SetTextureMatrix(kCubeMatrixStage, rotation * envTextureMatrix_);
    }
    const DrawCall draw = [&](const VertexProgram* program) {
        chunk->RenderGeometry(display, viewport, program, true, 0);
    };
    DrawParallelPass(display, *viewport, chosen, placement, kEnvPasses, draw);
    DrawSpotPass(display, *viewport, chosen, placement, kEnvPasses, draw);
    ClearDisplayState(display);
}

}  // namespace Kiv
