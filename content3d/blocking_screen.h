// BlockingScreen: the full-window picture ("BlockingScreen.jpg" from the folder "data")
// shown while the main thread waits long for the resource lock, with the window's message
// queue kept alive meanwhile and input dropped. It draws through the display of a render
// kernel it holds; the program never gives it one, so in the program Show, Update and Hide
// change nothing. Tests attach a kernel and a recording pump through the setters named
// ForTesting, which only they call.
//
// InstallResourceLockHooks connects the screen to the lock's wait, which sits in a lower
// layer and reaches it only through hooks; start-up calls it once. The same call gives the
// wait its purge of unused resources (the current resource system's
// DumpUnusedResourcesFromCache). Only the main thread uses the screen.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "content3d/blocking_screen_pump.h"
#include "engine/display.h"
#include "engine/display_texture.h"
#include "engine/pstring.h"

namespace Kiv {
class RenderKernel;
class TextureStageProgram;
} // namespace Kiv

class BlockingScreen {
  public:
    static constexpr int32_t kLayoutCover = 3;
    static constexpr float kReferenceWidth = 1280.0f;
    static constexpr float kReferenceHeight = 768.0f;
    static constexpr float kFrameTime = 1.0f / 30.0f;

    // The process-wide screen, made on first use.
    static BlockingScreen& Instance();
    static void InstallResourceLockHooks();

    BlockingScreen(const BlockingScreen&) = delete;
    BlockingScreen& operator=(const BlockingScreen&) = delete;
    virtual ~BlockingScreen();

    // The first Show loads and draws the picture; later ones only count.
    void Show();
    // Draws the picture again, then drops pending input and dispatches other messages.
    void Update();
    // Counts one Show off; at 0 the picture goes.
    void Hide();
    // Frees the picture's texture and stage program.
    void ReleaseTexture();

    // Attaches a kernel (null detaches one); the picture, its program and the count go first.
    void SetRenderKernelForTesting(Kiv::RenderKernel* renderKernel);
    // The pump Update uses; null restores the program's.
    void SetMessagePumpForTesting(MessagePump* pump);

    Kiv::RenderKernel* GetRenderKernel() const { return renderKernel_; }
    int32_t GetShowCount() const { return showCount_.load(); }
    const Kiv::DisplayTexture* GetTexture() const { return texture_.get(); }
    const Kiv::TextureStageProgram* GetStageProgram() const { return stageProgram_; }

  private:
    BlockingScreen();

    Kiv::Display* GetDisplay() const;
    bool LoadImage();
    bool UploadImage(Kiv::Display& display, const Kiv::Bitmap& bitmap);
    void SetNormalisedView();
    void ApplyDisplayState();
    void Draw();
    void DrawVertices(Kiv::Display& display, const Kiv::TransformedVertex* vertices);
    void FlushMessages(uint32_t first, uint32_t last);
    void FlushInput();
    void PumpMessages();

    Kiv::RenderKernel* renderKernel_ = nullptr;
    Kiv::PString imageName_;
    int32_t layout_ = kLayoutCover;
    std::atomic<int32_t> showCount_{0};
    std::unique_ptr<Kiv::DisplayTexture> texture_;
    Kiv::TextureStageProgram* stageProgram_ = nullptr;
    int savedBlendSource_ = 1;
    int savedBlendDest_ = 0;
    int savedCull_ = 0;
    uint8_t savedAlphaTest_ = 0;
    uint8_t savedBlend_ = 0;
    uint8_t savedDepthWrite_ = 0;
    uint8_t savedDepthTest_ = 0;
    uint8_t savedLighting_ = 0;
    Kiv::Matrix4 savedTransformA_;
    Kiv::Matrix4 savedTransformB_;
    Kiv::ViewportRect savedViewport_;
    MessagePump* pump_;
};
