// The blocking screen's life: the singleton and its hooks into the resource lock's wait
// (with the wait's purge of unused resources), the show count, loading the picture into a
// display texture, and the message pump of Update.
#include "content3d/blocking_screen.h"

#include <vector>

#include "engine/bitmap.h"
#include "engine/render_kernel.h"
#include "engine/resource_database.h"
#include "engine/resource_system.h"
#include "engine/texture_stage_program.h"
#include "foundation/jobs/resource_lock.h"

namespace {

constexpr const char* kImageName = "BlockingScreen.jpg";
constexpr const char* kImageFolder = "data";
constexpr int32_t kImageFormat = 3;
constexpr Kiv::DisplayTexture::CreationArgs kSurfaceArgs = {0, 1, 0, 0, 1, 1, 0, 0, 0, 2, 2};

// The picture's stage: its texture's colour and alpha, as they are.
const Kiv::TextureArgs& ColorArgs() {
    static const Kiv::TextureArgs args(0, 1, 0, 1, {{{0, 0, 0}, {0, 0, 2}, {0, 3, 3}, {0, 3, 3}}});
    return args;
}

const Kiv::TextureArgs& AlphaArgs() {
    static const Kiv::TextureArgs args(0, 1, 1, 1, {{{0, 1, 0}, {0, 1, 2}, {0, 3, 3}, {0, 3, 3}}});
    return args;
}

} // namespace

BlockingScreen& BlockingScreen::Instance() {
    static BlockingScreen screen;
    return screen;
}

void BlockingScreen::InstallResourceLockHooks() {
    ResourceLockWaitHooks hooks;
    hooks.showBlockingScreen = [] { Instance().Show(); };
    hooks.updateBlockingScreen = [] { Instance().Update(); };
    hooks.hideBlockingScreen = [] { Instance().Hide(); };
    hooks.dumpUnusedResources = [] {
        if (Kiv::ResourceSystem* system = Kiv::ResourceSystem::Current())
            system->DumpUnusedResourcesFromCache();
    };
    ResourceLock::SetWaitHooks(hooks);
}

BlockingScreen::BlockingScreen() : imageName_(kImageName), pump_(&ProgramMessagePump::Instance()) {}

BlockingScreen::~BlockingScreen() {
    ReleaseTexture();
}

void BlockingScreen::SetRenderKernelForTesting(Kiv::RenderKernel* renderKernel) {
    ReleaseTexture();
    showCount_.store(0);
    renderKernel_ = renderKernel;
}

void BlockingScreen::SetMessagePumpForTesting(MessagePump* pump) {
    pump_ = pump ? pump : &ProgramMessagePump::Instance();
}

Kiv::Display* BlockingScreen::GetDisplay() const {
    return renderKernel_ ? renderKernel_->GetDisplay() : nullptr;
}

void BlockingScreen::Show() {
    if (!renderKernel_) return;
    if (showCount_.fetch_add(1) + 1 != 1) return;
    if (!LoadImage()) return;
    SetNormalisedView();
    Draw();
    ApplyDisplayState();
}

void BlockingScreen::Update() {
    if (!renderKernel_) return;
    SetNormalisedView();
    Draw();
    ApplyDisplayState();
    FlushInput();
    PumpMessages();
}

// An unbalanced Hide leaves the count at 0, so the next Show loads the picture again.
void BlockingScreen::Hide() {
    if (!renderKernel_) return;
    const int32_t count = showCount_.load() - 1;
    showCount_.store(count > 0 ? count : 0);
    if (count <= 0) ReleaseTexture();
}

void BlockingScreen::ReleaseTexture() {
    texture_.reset();
    Kiv::Display::DestroyTextureStageProgram(stageProgram_);
    stageProgram_ = nullptr;
}

bool BlockingScreen::LoadImage() {
    Kiv::Display* display = GetDisplay();
    if (!display) return false;
    std::vector<uint8_t> bytes;
    if (!Kiv::ResourceDatabase(Kiv::PString(kImageFolder)).ReadFile(imageName_.Text(), bytes))
        return false;
    std::string error;
    const std::unique_ptr<Kiv::Bitmap> bitmap =
        Kiv::Bitmap::Decode(bytes, imageName_.View(), error);
    if (!bitmap || !UploadImage(*display, *bitmap)) return false;
    if (!stageProgram_)
        stageProgram_ = display->CreateTextureStageProgram(0, ColorArgs(), AlphaArgs());
    return true;
}

// A texture whose surface or upload failed is let go at once rather than drawn unfilled.
bool BlockingScreen::UploadImage(Kiv::Display& display, const Kiv::Bitmap& bitmap) {
    texture_ = display.CreateDisplayTexture();
    if (texture_->CreateSurface(bitmap.GetWidth(), bitmap.GetHeight(), kImageFormat,
                                kSurfaceArgs) &&
        texture_->Upload(0, bitmap, kImageFormat))
        return true;
    texture_.reset();
    return false;
}

void BlockingScreen::FlushMessages(uint32_t first, uint32_t last) {
    PumpMessage message;
    while (pump_->Peek(message, first, last, MessagePump::kPeekRemove)) {
    }
}

void BlockingScreen::FlushInput() {
    FlushMessages(MessagePump::kFirstKeyMessage, MessagePump::kLastKeyMessage);
    FlushMessages(MessagePump::kFirstMouseMessage, MessagePump::kLastMouseMessage);
}

void BlockingScreen::PumpMessages() {
    constexpr uint32_t kFlags = MessagePump::kPeekRemove | MessagePump::kPeekPosted |
                                MessagePump::kPeekPaint | MessagePump::kPeekSent;
    PumpMessage message;
    while (pump_->Peek(message, 0, 0, kFlags)) {
        pump_->Translate(message);
        pump_->Dispatch(message);
        FlushInput();
    }
}
