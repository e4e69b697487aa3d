// Start-up and shut-down of the tool, in their fixed orders. Built so far: the blocking
// screen is tied to the resource lock's wait, the program folder becomes the working folder
// (the start-up one is kept), the switches are read, the engine's OS object and log start
// with their option text (one retry with "-NullRender") and the process-wide random
// generator is seeded; shut-down stops the worker jobs. Not yet: the validation library,
// the resource system and render kernel, the network layer, the user-data folders, the
// daemon client, the interface language and the bitmap codec reference; they join these
// steps as their subsystems are built.
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "client/kodrin_util.h"
#include "client/startup_state.h"
#include "content3d/blocking_screen.h"
#include "engine/file.h"
#include "engine/file_path.h"
#include "engine/log.h"
#include "engine/os.h"
#include "foundation/jobs/worker_job_queue.h"
#include "foundation/process.h"
#include "foundation/process_random.h"

namespace KodrinUtil {

namespace {

constexpr int kStartupFailed = 255;

std::unique_ptr<Kiv::OS> g_os;

bool EnterProgramFolder(StartupState& state) {
    Kiv::File::Path folder;
    if (!GetModuleFilePath(folder)) return false;
    folder.Normalize().DelName();
    state.programFolder = folder.c_str();
    state.startupWorkingFolder = Kiv::File::GetCwd().Std();
    return chdir(state.programFolder.c_str()) == 0;
}

bool StartOS(const StartupSwitches& switches) {
    g_os = std::make_unique<Kiv::OS>("KodrinUtil", EngineOptionText(switches).c_str());
    if (!g_os->Init()) {
        std::fputs("Unable to load render kernel. Retrying with -NullRender.\n", stderr);
        g_os->GetOptions().ProcessRaw("-NullRender");
        if (!g_os->Init()) {
            std::fputs("- Kiv OS initialisation failed.\n", stderr);
            return false;
        }
    }
    Kiv::Log::Init(g_os->GetOptions());
    ProcessRandom().Randomise();
    return true;
}

}  // namespace

int Startup(StartupRecord& record, const char*, int argc, char** argv) {
    BlockingScreen::InstallResourceLockHooks();
    StartupState& state = GetStartupState();
    if (!EnterProgramFolder(state)) return kStartupFailed;
    state.switches = ScanStartupSwitches(argc, argv);
    if (!StartOS(state.switches)) return kStartupFailed;
    record.words[4] = reinterpret_cast<uintptr_t>(g_os.get());
    return 0;
}

int Shutdown(StartupRecord& record) {
    WorkerJobQueue::Singleton().Shutdown();
    WorkerJobQueue::Singleton().CancelJobs(0, false);
    Kiv::Log::Shutdown();
    g_os.reset();
    record.words[4] = 0;
    return 0;
}

}  // namespace KodrinUtil
