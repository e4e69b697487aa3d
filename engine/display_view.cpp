// The null display's frames with a frame time, render target, viewport, transforms,
// immediate drawing and texture objects.
#include <cstring>

#include "engine/display.h"
#include "engine/display_texture.h"

namespace Kiv {

namespace {

// Vertices of primitiveCount primitives of a type (engine/README.md); 0 for an unknown type.
size_t VertexCountOf(int primitiveType, int primitiveCount) {
    if (primitiveCount <= 0) return 0;
    const size_t n = static_cast<size_t>(primitiveCount);
    switch (primitiveType) {
        case 0: return n;
        case 1: return 2 * n;
        case 2: return n + 1;
        case 3: return 3 * n;
        case 4:
        case 5: return n + 2;
        default: return 0;
    }
}

bool ValidTransform(int which) {
    return which == Display::kViewTransform || which == Display::kProjectionTransform;
}

}  // namespace

void Display::BeginFrame(float frameTime) {
    ++frameNumber_;
    inFrame_ = true;
    Record("BeginFrame %g", frameTime);
}

void Display::EndFrame(float frameTime) {
    inFrame_ = false;
    Record("EndFrame %g", frameTime);
}

void Display::GetTargetSize(int& width, int& height) const {
    width = targetWidth_;
    height = targetHeight_;
}

void Display::SetTargetSize(int width, int height) {
    targetWidth_ = width;
    targetHeight_ = height;
}

void Display::SetViewport(const ViewportRect& viewport) {
    viewport_ = viewport;
    Record("SetViewport %d %d %d %d", viewport.x, viewport.y, viewport.width, viewport.height);
}

const Matrix4& Display::GetTransform(int which) const {
    static const Matrix4 identity;
    return ValidTransform(which) ? transforms_[which] : identity;
}

void Display::SetTransform(int which, const Matrix4& matrix) {
    if (!ValidTransform(which)) return;
    transforms_[which] = matrix;
    Record("SetTransform %d", which);
}

void Display::ResetTransform() {
    transforms_[kViewTransform] = Matrix4();
    transforms_[kProjectionTransform] = Matrix4();
    Record("ResetTransform");
}

void Display::Set2DViewNormalized(bool on) {
    normalized2DView_ = on;
    Record("Set2DViewNormalized %d", on);
}

void Display::SetLighting(bool on) {
    lighting_ = on;
    Record("SetLighting %d", on);
}

void Display::SetDepthTest(bool on) {
    depthTest_ = on;
    Record("SetDepthTest %d", on);
}

void Display::SetDrawingMode(int mode) {
    drawingMode_ = mode;
    Record("SetDrawingMode %d", mode);
}

void Display::DrawImmediate(int primitiveType, int primitiveCount, int vertexFormat,
                            const void* vertices) {
    Record("DrawImmediate %d %d %d", primitiveType, primitiveCount, vertexFormat);
    lastImmediateVertices_.clear();
    if (vertexFormat != kTransformedVertexFormat || !vertices) return;
    lastImmediateVertices_.resize(VertexCountOf(primitiveType, primitiveCount));
    std::memcpy(lastImmediateVertices_.data(), vertices,
                lastImmediateVertices_.size() * sizeof(TransformedVertex));
}

std::unique_ptr<DisplayTexture> Display::CreateDisplayTexture() {
    const int id = ++displayTextureSerial_;
    Record("CreateDisplayTexture %d", id);
    return std::unique_ptr<DisplayTexture>(new DisplayTexture(this, id));
}

void Display::BindDisplayTexture(int stage, const DisplayTexture* texture) {
    if (!ValidStage(stage)) return;
    boundDisplayTextures_[stage] = texture;
    Record("BindDisplayTexture %d %d", stage, texture ? texture->GetId() : 0);
}

const DisplayTexture* Display::GetBoundDisplayTexture(int stage) const {
    return ValidStage(stage) ? boundDisplayTextures_[stage] : nullptr;
}

}  // namespace Kiv
