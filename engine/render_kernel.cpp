// Kiv::RenderKernel: choosing the renderer, and the failure switch read from the
// environment on first use.
#include "engine/render_kernel.h"

#include <cstdlib>
#include <mutex>

#include "engine/ascii.h"
#include "engine/os.h"

namespace Kiv {

namespace {

constexpr const char* kFailureVariable = "KIV_RENDER_FAIL";
constexpr const char* kFailAll = "all";

// renderer name -> renderer; the first row is the default of "-render".
struct RendererName {
    const char* name;
    RenderKernel::Renderer renderer;
};

constexpr RendererName kRendererNames[] = {
    {"OpenGL", RenderKernel::Renderer::kOpenGL},
    {"DirectX9", RenderKernel::Renderer::kDirectX9},
};
constexpr const char* kNullRendererName = "null";

struct FailureSwitch {
    std::mutex lock;
    std::string failure;
};

FailureSwitch& Failure() {
    static FailureSwitch* failureSwitch = [] {
        auto* made = new FailureSwitch;
        const char* text = std::getenv(kFailureVariable);
        if (text) made->failure = text;
        return made;
    }();
    return *failureSwitch;
}

bool Fails(const char* rendererName) {
    const std::string failure = RenderKernel::GetFailure();
    return Ascii::EqualsIgnoreCase(failure, kFailAll) ||
           Ascii::EqualsIgnoreCase(failure, rendererName);
}

// The renderer the options ask for, with its name; kNone for an unknown name.
RenderKernel::Renderer Choose(const Options& options, const char*& name) {
    if (options.Has("NullRender")) {
        name = kNullRendererName;
        return RenderKernel::Renderer::kNull;
    }
    const char* wanted = options.Get("render");
    if (!wanted || !*wanted) wanted = kRendererNames[0].name;
    for (const RendererName& entry : kRendererNames) {
        if (!Ascii::EqualsIgnoreCase(wanted, entry.name)) continue;
        name = entry.name;
        return entry.renderer;
    }
    return RenderKernel::Renderer::kNone;
}

}  // namespace

RenderKernel::RenderKernel(SceneGraph* sceneGraph, float detail)
    : ownSceneGraph_(sceneGraph ? nullptr : std::make_unique<SceneGraph>()),
      sceneGraph_(sceneGraph ? sceneGraph : ownSceneGraph_.get()),
      detail_(detail) {}

RenderKernel::~RenderKernel() = default;

bool RenderKernel::Init(OS* os, int) {
    renderer_ = Renderer::kNone;
    if (!os || !os->IsInitialised()) return false;
    const char* name = nullptr;
    const Renderer chosen = Choose(os->GetOptions(), name);
    if (chosen == Renderer::kNone || Fails(name)) return false;
    renderer_ = chosen;
    return true;
}

void RenderKernel::SetFailure(const std::string& failure) {
    FailureSwitch& failureSwitch = Failure();
    const std::lock_guard<std::mutex> hold(failureSwitch.lock);
    failureSwitch.failure = failure;
}

std::string RenderKernel::GetFailure() {
    FailureSwitch& failureSwitch = Failure();
    const std::lock_guard<std::mutex> hold(failureSwitch.lock);
    return failureSwitch.failure;
}

}  // namespace Kiv
