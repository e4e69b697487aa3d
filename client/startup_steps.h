// Start-up as a table of steps run in order. A step that answers false ends start-up with
// 255; everything the steps before it made stays for shut-down to take down. The daemon
// client's outcome is kept in the run and decides only at the last step, so the language,
// plug-in and marker steps run also when no daemon was reached. Tests run the first steps
// alone to stop a start-up anywhere.
#pragma once

#include <cstddef>
#include <span>

#include "client/startup_record.h"
#include "engine/file_path.h"
#include "foundation/files/process.h"

namespace KodrinUtil {

struct StartupRun {
    StartupRecord& record;
    int argc;
    char** argv;
    // Where the executable's own path comes from; tests place the program elsewhere.
    bool (*ownPath)(Kiv::File::Path& out) = GetModuleFilePath;
    bool clientStarted = false;
};

struct StartupStep {
    const char* name;
    bool (*run)(StartupRun& run);
};

// Every step, in start-up order.
std::span<const StartupStep> StartupSteps();

// Runs the first count steps (all of them at most); 0 when each succeeded, else 255.
int RunStartupSteps(StartupRun& run, size_t count);

// The steps, in their files: validation library (startup_validation.cpp), program folder
// and switches (startup_folder.cpp), engine (startup_engine.cpp), the program's plug-ins
// (startup_content.cpp), network, user data,
// daemon client, language and plug-in (startup_client.cpp).
bool CreateErrorHandler(StartupRun& run);
bool EnterProgramFolder(StartupRun& run);
bool CreateDataManager(StartupRun& run);
bool ReadSwitches(StartupRun& run);
bool CreateOS(StartupRun& run);
bool CreateResourceSystem(StartupRun& run);
bool CreateRenderKernel(StartupRun& run);
bool InitOS(StartupRun& run);
bool StartLogAndResources(StartupRun& run);
bool RegisterContentPlugins(StartupRun& run);
bool InitRenderKernel(StartupRun& run);
bool InitValidationScene(StartupRun& run);
bool StartNetwork(StartupRun& run);
bool PrepareUserData(StartupRun& run);
bool StartDaemonClient(StartupRun& run);
bool RecordMainThread(StartupRun& run);
bool ChooseLanguage(StartupRun& run);
bool CreateBitmapCodec(StartupRun& run);
bool MarkDownloadService(StartupRun& run);
bool RequireClientStarted(StartupRun& run);

}  // namespace KodrinUtil
