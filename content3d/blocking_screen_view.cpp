// Drawing the blocking screen: the display state saved, set for a plain textured picture
// and restored around the draw, and the picture fitted to cover the render target.
#include <algorithm>

#include "content3d/blocking_screen.h"
#include "engine/render_kernel.h"

namespace {

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;
constexpr float kDepth = 0.5f;
constexpr int kDrawingMode = 1;
constexpr int kTriangleList = 3;
constexpr int kTriangles = 2;

struct Rectangle {
    float x0, y0, x1, y1;
};

// The picture scaled to cover the target, centred, its overflow outside the target.
Rectangle CoverRectangle(float width, float height) {
    const float scale = std::max(width / BlockingScreen::kReferenceWidth,
                                 height / BlockingScreen::kReferenceHeight);
    const float x0 = (width - BlockingScreen::kReferenceWidth * scale) / 2;
    const float y0 = (height - BlockingScreen::kReferenceHeight * scale) / 2;
    return {x0, y0, width - x0, height - y0};
}

} // namespace

void BlockingScreen::SetNormalisedView() {
    Kiv::Display* display = GetDisplay();
    if (!display) return;
    savedLighting_ = display->GetLighting();
    savedCull_ = display->GetCullMode();
    display->GetBlendFactors(savedBlendSource_, savedBlendDest_);
    savedAlphaTest_ = display->GetAlphaTest();
    savedBlend_ = display->GetAlphaBlendEnable();
    savedDepthTest_ = display->GetDepthTest();
    savedDepthWrite_ = display->GetDepthWrite();
    savedTransformA_ = display->GetTransform(Kiv::Display::kViewTransform);
    savedTransformB_ = display->GetTransform(Kiv::Display::kProjectionTransform);
    savedViewport_ = display->GetViewport();

    display->SetLighting(false);
    display->SetCullMode(0);
    display->SetBlendFactors(1, 0);
    display->SetAlphaTest(false);
    display->SetAlphaBlendEnable(false);
    display->SetDepthTest(false);
    display->SetDepthWrite(false);
    display->Set2DViewNormalized(false);
    display->ResetTransform();
    int width = 0;
    int height = 0;
    display->GetTargetSize(width, height);
    display->SetViewport({0, 0, width, height});
    if (stageProgram_) display->ApplyTextureStageProgram(stageProgram_);
}

void BlockingScreen::ApplyDisplayState() {
    Kiv::Display* display = GetDisplay();
    if (!display) return;
    display->SetLighting(savedLighting_ != 0);
    display->SetCullMode(savedCull_);
    display->SetBlendFactors(savedBlendSource_, savedBlendDest_);
    display->SetAlphaTest(savedAlphaTest_ != 0);
    display->SetAlphaBlendEnable(savedBlend_ != 0);
    display->SetDepthTest(savedDepthTest_ != 0);
    display->SetDepthWrite(savedDepthWrite_ != 0);
    display->SetTransform(Kiv::Display::kViewTransform, savedTransformA_);
    display->SetTransform(Kiv::Display::kProjectionTransform, savedTransformB_);
    if (savedViewport_.width > 0 && savedViewport_.height > 0) display->SetViewport(savedViewport_);
    if (stageProgram_) display->ResetTextureStage(0);
}

void BlockingScreen::Draw() {
    Kiv::Display* display = GetDisplay();
    if (!display || !texture_) return;
    display->BindDisplayTexture(0, texture_.get());
    int width = 0;
    int height = 0;
    display->GetTargetSize(width, height);
    if (layout_ != kLayoutCover) return;
    const Rectangle r = CoverRectangle(static_cast<float>(width), static_cast<float>(height));
    const Kiv::TransformedVertex vertices[] = {
        {r.x0, r.y0, kDepth, kOpaqueWhite, 0, 0}, {r.x1, r.y0, kDepth, kOpaqueWhite, 1, 0},
        {r.x1, r.y1, kDepth, kOpaqueWhite, 1, 1}, {r.x1, r.y1, kDepth, kOpaqueWhite, 1, 1},
        {r.x0, r.y1, kDepth, kOpaqueWhite, 0, 1}, {r.x0, r.y0, kDepth, kOpaqueWhite, 0, 0},
    };
    DrawVertices(*display, vertices);
}

// Inside a frame the frame is ended at once and a new one begun, so the picture shows now.
void BlockingScreen::DrawVertices(Kiv::Display& display, const Kiv::TransformedVertex* vertices) {
    display.SetDrawingMode(kDrawingMode);
    const bool inFrame = display.IsInFrame();
    if (!inFrame) display.BeginFrame(kFrameTime);
    display.DrawImmediate(kTriangleList, kTriangles, Kiv::Display::kTransformedVertexFormat,
                          vertices);
    display.EndFrame(kFrameTime);
    if (inFrame) display.BeginFrame(kFrameTime);
}
