// The start-up order, as one table.
#include "client/startup_steps.h"

#include <algorithm>
#include <iterator>

#include "content3d/blocking_screen.h"

namespace KodrinUtil {

namespace {

constexpr int kStartupFailed = 255;

bool HookBlockingScreen(StartupRun&) {
    BlockingScreen::InstallResourceLockHooks();
    return true;
}

const StartupStep kStartupSteps[] = {
    {"blocking screen hooks", HookBlockingScreen},
    {"validation error handler", CreateErrorHandler},
    {"program folder", EnterProgramFolder},
    {"validation data manager", CreateDataManager},
    {"switches", ReadSwitches},
    {"engine OS", CreateOS},
    {"resource system", CreateResourceSystem},
    {"render kernel", CreateRenderKernel},
    {"engine OS initialisation", InitOS},
    {"log, resource system and random seed", StartLogAndResources},
    {"program plug-ins", RegisterContentPlugins},
    {"render kernel initialisation", InitRenderKernel},
    {"validation scene", InitValidationScene},
    {"network", StartNetwork},
    {"user data", PrepareUserData},
    {"daemon client", StartDaemonClient},
    {"main thread", RecordMainThread},
    {"interface language", ChooseLanguage},
    {"bitmap codec", CreateBitmapCodec},
    {"download-service marker", MarkDownloadService},
    {"daemon client started", RequireClientStarted},
};

}  // namespace

std::span<const StartupStep> StartupSteps() {
    return kStartupSteps;
}

int RunStartupSteps(StartupRun& run, size_t count) {
    const size_t steps = std::min(count, std::size(kStartupSteps));
    for (size_t i = 0; i < steps; ++i) {
        if (!kStartupSteps[i].run(run)) return kStartupFailed;
    }
    return 0;
}

}  // namespace KodrinUtil
