// The debug viewport and the display interface object.
#include "content3d/materials/render_singletons.h"

namespace {

QXDebugVp* g_currentDebugViewport = nullptr;

class DebugViewport final : public QXDebugVp {};

[[maybe_unused]] QXDebugVp& kMadeAtStart = QXDebugVp::Instance();

}  // namespace

DisplayInterface g_displayInterface;

QXDebugVp::QXDebugVp() {
    g_currentDebugViewport = this;
}

QXDebugVp::~QXDebugVp() {
    if (g_currentDebugViewport == this) g_currentDebugViewport = nullptr;
}

QXDebugVp& QXDebugVp::Instance() {
    static DebugViewport viewport;
    return viewport;
}

QXDebugVp* QXDebugVp::Current() {
    return g_currentDebugViewport;
}

void QXDebugVp::DrawLineList(const Kiv::Vector3*, int, int, uint32_t) {}

void QXDebugVp::DrawLine(const Kiv::Vector3& from, const Kiv::Vector3& to, uint32_t color) {
    const Kiv::Vector3 points[2] = {from, to};
    DrawLineList(points, 2, 2, color);
}
