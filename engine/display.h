// Kiv::Display: the null display. It draws nothing; it keeps every state it is given, so a
// getter answers what the last setter set, and with recording on (off by default) it
// appends one text line per state change, binding, program constant, draw and frame call
// to a call log that tests read and clear. The line formats are listed in engine/README.md.
// What a real display would report about itself (capabilities, texture-stage count,
// software skinning, the presence of program managers, the render target's size) is
// settable, and four failure switches make texture-stage programs, texture surfaces,
// texture uploads and chunk display buffers fail. Texture objects (display_texture.h) and
// immediate drawing keep what they were given, so tests read the pixels and vertices that
// reached the display.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/matrix4.h"

namespace Kiv {

// A vertex of immediate drawing in vertex format 19: a position already on the render
// target, a colour (0xAABBGGRR) and one texture-coordinate pair.
struct TransformedVertex {
    float x = 0, y = 0, z = 0;
    uint32_t color = 0;
    float u = 0, v = 0;
    bool operator==(const TransformedVertex&) const = default;
};

// The render target's viewport in pixels.
struct ViewportRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const ViewportRect&) const = default;
};

class DisplayTexture;
class Texture;
class TextureArgs;
class TextureCombinerManager;
class TextureStageProgram;
class VertexProgramManager;
class VertexType;

class Display {
public:
    static constexpr int kMaxTextureStages = 16;

    Display();
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // What the display reports about itself.
    bool HasCapability(int capability) const { return capabilities_.count(capability) != 0; }
    void SetCapability(int capability, bool present);
    int GetNumTextureStages() const { return textureStages_; }
    void SetNumTextureStages(int count) { textureStages_ = count; }
    bool GetSoftwareSkinning() const { return softwareSkinning_; }
    void SetSoftwareSkinning(bool on) { softwareSkinning_ = on; }
    uint32_t GetDefaultVertexColor() const { return defaultVertexColor_; }
    void SetDefaultVertexColor(uint32_t color) { defaultVertexColor_ = color; }
    // Null when the display is set to have no program managers.
    VertexProgramManager* GetVertexProgramManager() const;
    TextureCombinerManager* GetTextureCombinerManager() const;
    void SetProgramManagersPresent(bool present) { programManagersPresent_ = present; }

    // Failure switches. A stage-program failure counts creations: the nth one from now
    // fails (0: none fails).
    void FailStageProgramCreation(int nth) { stageProgramFailure_ = nth; }
    void SetTextureSurfaceFailure(bool fail) { textureSurfaceFailure_ = fail; }
    bool GetTextureSurfaceFailure() const { return textureSurfaceFailure_; }
    void SetChunkBufferFailure(bool fail) { chunkBufferFailure_ = fail; }
    bool GetChunkBufferFailure() const { return chunkBufferFailure_; }
    void SetTextureUploadFailure(bool fail) { textureUploadFailure_ = fail; }
    bool GetTextureUploadFailure() const { return textureUploadFailure_; }

    // Call log.
    void SetRecording(bool on) { recording_ = on; }
    bool IsRecording() const { return recording_; }
    const std::vector<std::string>& GetCallLog() const { return callLog_; }
    void ClearCallLog() { callLog_.clear(); }
    // Appends a printf-style line when recording.
    void Record(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Frames: without a frame time the display measures it itself.
    void BeginFrame();
    void EndFrame();
    void BeginFrame(float frameTime);
    void EndFrame(float frameTime);
    bool IsInFrame() const { return inFrame_; }
    // Frames begun so far: the current frame's number (0 before the first).
    uint32_t GetFrameNumber() const { return frameNumber_; }

    // The render target and the view onto it. The target size is the window's; the null
    // display has none, so tests set it.
    void GetTargetSize(int& width, int& height) const;
    void SetTargetSize(int width, int height);
    const ViewportRect& GetViewport() const { return viewport_; }
    void SetViewport(const ViewportRect& viewport);
    // The two transforms: kViewTransform and kProjectionTransform.
    static constexpr int kViewTransform = 0;
    static constexpr int kProjectionTransform = 1;
    const Matrix4& GetTransform(int which) const;
    void SetTransform(int which, const Matrix4& matrix);
    // Both transforms back to identity.
    void ResetTransform();
    bool Get2DViewNormalized() const { return normalized2DView_; }
    void Set2DViewNormalized(bool on);

    // Immediate drawing: the drawing mode comes before it. Vertices of format 19
    // (TransformedVertex) are kept, the last draw's only, for tests to read; another
    // format is drawn without keeping them.
    static constexpr int kTransformedVertexFormat = 19;
    int GetDrawingMode() const { return drawingMode_; }
    void SetDrawingMode(int mode);
    void DrawImmediate(int primitiveType, int primitiveCount, int vertexFormat,
                       const void* vertices);
    const std::vector<TransformedVertex>& GetLastImmediateVertices() const {
        return lastImmediateVertices_;
    }

    // Texture objects (engine/display_texture.h), owned by the caller.
    std::unique_ptr<DisplayTexture> CreateDisplayTexture();
    void BindDisplayTexture(int stage, const DisplayTexture* texture);
    const DisplayTexture* GetBoundDisplayTexture(int stage) const;

    // Render states.
    bool GetLighting() const { return lighting_; }
    void SetLighting(bool on);
    bool GetDepthTest() const { return depthTest_; }
    void SetDepthTest(bool on);
    bool GetAlphaTest() const { return alphaTest_; }
    void SetAlphaTest(bool on);
    bool GetDepthWrite() const { return depthWrite_; }
    void SetDepthWrite(bool on);
    bool GetAlphaBlendEnable() const { return alphaBlend_; }
    void SetAlphaBlendEnable(bool on);
    void GetBlendFactors(int& source, int& destination) const;
    void SetBlendFactors(int source, int destination);
    int GetFogMode() const { return fogMode_; }
    void SetFogMode(int mode);
    float GetFogDensity() const { return fogDensity_; }
    void SetFogDensity(float density);
    int GetCullMode() const { return cullMode_; }
    void SetCullMode(int mode);
    int GetColorMaterialMode() const { return colorMaterialMode_; }
    void SetColorMaterialMode(int mode);
    const Color& GetSceneAmbient() const { return sceneAmbient_; }
    void SetSceneAmbient(const Color& color);
    const Matrix4& GetModelMatrix() const { return modelMatrix_; }
    void SetModelMatrix(const Matrix4& matrix);

    // Texture stages. Binding null clears the stage.
    Texture* GetBoundTexture(int stage) const;
    void BindTexture(int stage, Texture* texture);
    void ResetTextureStage(int stage);
    // The display's own choice of what stage 3 shows (nothing, on the null display).
    void BindDefaultStageTexture(int stage);
    const Matrix4& GetTextureMatrix(int stage) const;
    void SetTextureMatrix(int stage, const Matrix4& matrix);
    void ResetTextureMatrix(int stage);
    void SetCurrentTextureMatrix(const Matrix4& matrix);
    void SetTextureCoordGen(int stage, int mode, int value);
    void SetTextureStageConstant(int stage, const Color& color);
    Color GetTextureStageConstant(int stage) const;

    // Texture-stage programs: made by a display (null on failure) and destroyed through
    // the class, so a program outliving its display can still go. The live count covers
    // every display of the process.
    TextureStageProgram* CreateTextureStageProgram(int stage, const TextureArgs& color,
                                                   const TextureArgs& alpha);
    static void DestroyTextureStageProgram(TextureStageProgram* program);
    void ApplyTextureStageProgram(const TextureStageProgram* program);
    static int GetLiveStageProgramCount();

    // Vertex types the display knows.
    void RegisterVertexType(const VertexType* type);
    bool IsVertexTypeRegistered(const VertexType* type) const;

    // Vertex colours as a mesh file stores them, 0xAARRGGBB, into the display's order
    // 0xAABBGGRR (red and blue swapped), in place.
    static void ConvertColorArray(uint32_t* colors, size_t count);

private:
    bool ValidStage(int stage) const { return stage >= 0 && stage < kMaxTextureStages; }

    std::set<int> capabilities_;
    int textureStages_ = 4;
    bool softwareSkinning_ = false;
    uint32_t defaultVertexColor_ = 0xFFFFFFFF;
    bool programManagersPresent_ = true;
    std::unique_ptr<VertexProgramManager> vertexPrograms_;
    std::unique_ptr<TextureCombinerManager> combiners_;
    int stageProgramFailure_ = 0;
    bool textureSurfaceFailure_ = false;
    bool chunkBufferFailure_ = false;
    bool textureUploadFailure_ = false;
    int stageProgramSerial_ = 0;
    int displayTextureSerial_ = 0;

    bool recording_ = false;
    std::vector<std::string> callLog_;

    bool inFrame_ = false;
    uint32_t frameNumber_ = 0;
    int targetWidth_ = 640;
    int targetHeight_ = 480;
    ViewportRect viewport_{0, 0, 640, 480};
    Matrix4 transforms_[2];
    bool normalized2DView_ = false;
    int drawingMode_ = 0;
    std::vector<TransformedVertex> lastImmediateVertices_;
    const DisplayTexture* boundDisplayTextures_[kMaxTextureStages] = {};

    bool lighting_ = false;
    bool depthTest_ = true;
    bool alphaTest_ = false;
    bool depthWrite_ = true;
    bool alphaBlend_ = false;
    int blendSource_ = 1;
    int blendDestination_ = 0;
    int fogMode_ = 0;
    float fogDensity_ = 0;
    int cullMode_ = 1;
    int colorMaterialMode_ = 0;
    Color sceneAmbient_{0, 0, 0, 1};
    Matrix4 modelMatrix_;
    Texture* boundTextures_[kMaxTextureStages] = {};
    Matrix4 textureMatrices_[kMaxTextureStages];
    Color stageConstants_[kMaxTextureStages];
    std::set<const VertexType*> vertexTypes_;
};

}  // namespace Kiv
