// Start-up steps of the engine: the OS object with the option text of the switches, the
// resource system and the render kernel (each shown in the start-up record), then their
// initialisation. The OS and the render kernel each get one retry with "-NullRender" added
// to the options; the second retry keeps what the first added. The render kernel is also
// the one the font cache hands its fonts.
#include <cstdio>

#include "client/startup_objects.h"
#include "client/startup_state.h"
#include "client/startup_steps.h"
#include "content3d/fonts/font_cache.h"
#include "engine/log.h"
#include "foundation/files/process_random.h"

namespace KodrinUtil {

namespace {

constexpr const char* kProgramName = "KodrinUtil";
constexpr float kRenderKernelDetail = 8.0f;
constexpr const char* kNullRenderOption = "-NullRender";
constexpr const char* kRetryMessage = "Unable to load render kernel. Retrying with -NullRender.\n";

// Record words of the engine objects.
constexpr int kResourceSystemWord = 0;
constexpr int kRenderKernelWord = 1;
constexpr int kOSWord = 4;

template <typename T>
uintptr_t Word(const std::unique_ptr<T>& object) {
    return reinterpret_cast<uintptr_t>(object.get());
}

// Runs start once more with "-NullRender" in the options after it failed once.
template <typename Start>
bool StartWithNullRenderRetry(Kiv::OS& os, Start start) {
    if (start()) return true;
    std::fputs(kRetryMessage, stderr);
    os.GetOptions().ProcessRaw(kNullRenderOption);
    return start();
}

}  // namespace

bool CreateOS(StartupRun& run) {
    StartupObjects& objects = GetStartupObjects();
    const std::string options = EngineOptionText(GetStartupState().switches);
    objects.os = std::make_unique<Kiv::OS>(kProgramName, options.c_str());
    run.record.words[kOSWord] = Word(objects.os);
    return true;
}

bool CreateResourceSystem(StartupRun& run) {
    StartupObjects& objects = GetStartupObjects();
    objects.resourceSystem = std::make_unique<Kiv::ResourceSystem>();
    run.record.words[kResourceSystemWord] = Word(objects.resourceSystem);
    return true;
}

bool CreateRenderKernel(StartupRun& run) {
    StartupObjects& objects = GetStartupObjects();
    objects.renderKernel = std::make_unique<Kiv::RenderKernel>(nullptr, kRenderKernelDetail);
    FontCache::SetProcessRenderKernel(objects.renderKernel.get());
    run.record.words[kRenderKernelWord] = Word(objects.renderKernel);
    return true;
}

bool InitOS(StartupRun&) {
    Kiv::OS& os = *GetStartupObjects().os;
    if (StartWithNullRenderRetry(os, [&os] { return os.Init(); })) return true;
    std::fputs("- Kiv OS initialisation failed.\n", stderr);
    return false;
}

bool StartLogAndResources(StartupRun&) {
    StartupObjects& objects = GetStartupObjects();
    Kiv::Log::Init(objects.os->GetOptions());
    objects.resourceSystem->Init(objects.os->GetOptions());
    ProcessRandom().Randomise();
    return true;
}

bool InitRenderKernel(StartupRun&) {
    StartupObjects& objects = GetStartupObjects();
    Kiv::OS& os = *objects.os;
    Kiv::RenderKernel& kernel = *objects.renderKernel;
    if (StartWithNullRenderRetry(os, [&] { return kernel.Init(&os, 0); })) return true;
    std::fputs("- Unable to initialize render system\n\n", stderr);
    return false;
}

}  // namespace KodrinUtil
