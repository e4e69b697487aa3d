// Start-up steps of the program folder and the switches. From the folder step on, relative
// paths mean the program folder; the working folder the process had is kept for the
// commands that change back to it.
#include <unistd.h>

#include "client/startup_state.h"
#include "client/startup_steps.h"
#include "engine/file.h"

namespace KodrinUtil {

bool EnterProgramFolder(StartupRun& run) {
    Kiv::File::Path folder;
    if (!run.ownPath(folder)) return false;
    folder.Normalize().DelName();
    StartupState& state = GetStartupState();
    state.programFolder = folder.c_str();
    state.startupWorkingFolder = Kiv::File::GetCwd().Std();
    return chdir(state.programFolder.c_str()) == 0;
}

bool ReadSwitches(StartupRun& run) {
    GetStartupState().switches = ScanStartupSwitches(run.argc, run.argv);
    return true;
}

}  // namespace KodrinUtil
