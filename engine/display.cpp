// The null display: kept states, the call log and the texture-stage programs it makes.
#include "engine/display.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "engine/texture.h"
#include "engine/texture_combiner.h"
#include "engine/texture_stage_program.h"
#include "engine/vertex_program.h"

namespace Kiv {

namespace {

constexpr int kDefaultCapabilities[] = {1, 17, 21, 29};

std::atomic<int> g_liveStagePrograms{0};

const char* NameOf(const Texture* texture) {
    return texture ? texture->GetName().c_str() : "-";
}

}  // namespace

Display::Display()
    : capabilities_(std::begin(kDefaultCapabilities), std::end(kDefaultCapabilities)),
      vertexPrograms_(std::make_unique<VertexProgramManager>()),
      combiners_(std::make_unique<TextureCombinerManager>()) {}

Display::~Display() = default;

void Display::SetCapability(int capability, bool present) {
    if (present) {
        capabilities_.insert(capability);
    } else {
        capabilities_.erase(capability);
    }
}

VertexProgramManager* Display::GetVertexProgramManager() const {
    return programManagersPresent_ ? vertexPrograms_.get() : nullptr;
}

TextureCombinerManager* Display::GetTextureCombinerManager() const {
    return programManagersPresent_ ? combiners_.get() : nullptr;
}

void Display::Record(const char* format, ...) {
    if (!recording_) return;
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    callLog_.emplace_back(line);
}

void Display::BeginFrame() {
    inFrame_ = true;
    ++frameNumber_;
    Record("BeginFrame");
}

void Display::EndFrame() {
    inFrame_ = false;
    Record("EndFrame");
}

void Display::SetAlphaTest(bool on) {
    alphaTest_ = on;
    Record("SetAlphaTest %d", on);
}

void Display::SetDepthWrite(bool on) {
    depthWrite_ = on;
    Record("SetDepthWrite %d", on);
}

void Display::SetAlphaBlendEnable(bool on) {
    alphaBlend_ = on;
    Record("SetAlphaBlendEnable %d", on);
}

void Display::GetBlendFactors(int& source, int& destination) const {
    source = blendSource_;
    destination = blendDestination_;
}

void Display::SetBlendFactors(int source, int destination) {
    blendSource_ = source;
    blendDestination_ = destination;
    Record("SetBlendFactors %d %d", source, destination);
}

void Display::SetFogMode(int mode) {
    fogMode_ = mode;
    Record("SetFogMode %d", mode);
}

void Display::SetFogDensity(float density) {
    fogDensity_ = density;
    Record("SetFogDensity %g", density);
}

void Display::SetCullMode(int mode) {
    cullMode_ = mode;
    Record("SetCullMode %d", mode);
}

void Display::SetColorMaterialMode(int mode) {
    colorMaterialMode_ = mode;
    Record("SetColorMaterialMode %d", mode);
}

void Display::SetSceneAmbient(const Color& color) {
    sceneAmbient_ = color;
    Record("SetSceneAmbient %g %g %g %g", color.r, color.g, color.b, color.a);
}

void Display::SetModelMatrix(const Matrix4& matrix) {
    modelMatrix_ = matrix;
    const Vector3 t = matrix.GetTranslation();
    Record("SetModelMatrix %g %g %g", t.x, t.y, t.z);
}

Texture* Display::GetBoundTexture(int stage) const {
    return ValidStage(stage) ? boundTextures_[stage] : nullptr;
}

void Display::BindTexture(int stage, Texture* texture) {
    if (!ValidStage(stage)) return;
    boundTextures_[stage] = texture;
    if (texture) {
        Record("BindTexture %d %s", stage, NameOf(texture));
    } else {
        Record("ClearTextureStage %d", stage);
    }
}

void Display::ResetTextureStage(int stage) {
    if (!ValidStage(stage)) return;
    boundTextures_[stage] = nullptr;
    Record("ResetTextureStage %d", stage);
}

void Display::BindDefaultStageTexture(int stage) {
    if (!ValidStage(stage)) return;
    boundTextures_[stage] = nullptr;
    Record("BindDefaultStageTexture %d", stage);
}

const Matrix4& Display::GetTextureMatrix(int stage) const {
    static const Matrix4 identity;
    return ValidStage(stage) ? textureMatrices_[stage] : identity;
}

void Display::SetTextureMatrix(int stage, const Matrix4& matrix) {
    if (!ValidStage(stage)) return;
    textureMatrices_[stage] = matrix;
    Record("SetTextureMatrix %d", stage);
}

void Display::ResetTextureMatrix(int stage) {
    if (!ValidStage(stage)) return;
    textureMatrices_[stage] = Matrix4();
    Record("ResetTextureMatrix %d", stage);
}

void Display::SetCurrentTextureMatrix(const Matrix4&) {
    Record("SetCurrentTextureMatrix");
}

void Display::SetTextureCoordGen(int stage, int mode, int value) {
    Record("SetTextureCoordGen %d %d %d", stage, mode, value);
}

void Display::SetTextureStageConstant(int stage, const Color& color) {
    if (!ValidStage(stage)) return;
    stageConstants_[stage] = color;
    Record("SetTextureStageConstant %d %g %g %g %g", stage, color.r, color.g, color.b, color.a);
}

Color Display::GetTextureStageConstant(int stage) const {
    return ValidStage(stage) ? stageConstants_[stage] : Color{};
}

TextureStageProgram* Display::CreateTextureStageProgram(int stage, const TextureArgs& color,
                                                        const TextureArgs& alpha) {
    if (stageProgramFailure_ > 0 && --stageProgramFailure_ == 0) return nullptr;
    g_liveStagePrograms.fetch_add(1);
    return new TextureStageProgram(stage, color, alpha, ++stageProgramSerial_);
}

void Display::DestroyTextureStageProgram(TextureStageProgram* program) {
    if (!program) return;
    g_liveStagePrograms.fetch_sub(1);
    delete program;
}

int Display::GetLiveStageProgramCount() {
    return g_liveStagePrograms.load();
}

void Display::ApplyTextureStageProgram(const TextureStageProgram* program) {
    if (!program) return;
    Record("ApplyStageProgram %d", program->GetStage());
}

void Display::RegisterVertexType(const VertexType* type) {
    vertexTypes_.insert(type);
}

bool Display::IsVertexTypeRegistered(const VertexType* type) const {
    return vertexTypes_.count(type) != 0;
}

void Display::ConvertColorArray(uint32_t* colors, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const uint32_t c = colors[i];
        colors[i] = (c & 0xFF00FF00u) | ((c >> 16) & 0xFFu) | ((c & 0xFFu) << 16);
    }
}

}  // namespace Kiv
