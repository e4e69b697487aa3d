// What start-up leaves behind for the commands: the working folder the process had when it
// started (encrypt and importconsists run there), the program folder, the
// switches found anywhere in the argument vector, and whether the download service may be
// used (from start-up until shut-down; its commands do nothing otherwise).
#pragma once

#include <string>

namespace KodrinUtil {

struct StartupSwitches {
    bool nullRender = false;       // "norender"
    bool logToStdout = false;      // "-kivlog"
    bool clientHandshake = true;   // cleared by "-nokavclient"
};

struct StartupState {
    std::string startupWorkingFolder;
    std::string programFolder;
    StartupSwitches switches;
};

StartupState& GetStartupState();

// The switches among argv[0..argc-1], each compared lower-cased.
StartupSwitches ScanStartupSwitches(int argc, char** argv);

// The engine's option text for the switches.
std::string EngineOptionText(const StartupSwitches& switches);

// True from start-up's marker step until shut-down frees the marker.
bool DownloadServiceAvailable();

}  // namespace KodrinUtil
