// The guarded run of a job object. A debugger is told by a non-zero "TracerPid" in the
// process status file.
#include "foundation/jobs/run_guarded.h"

#include <cstdlib>
#include <fstream>
#include <string>

#include "foundation/results/command_state.h"

namespace {

bool IsDebuggerAttached() {
    std::ifstream status("/proc/self/status");
    const std::string key = "TracerPid:";
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, key.size(), key) != 0) continue;
        return std::strtol(line.c_str() + key.size(), nullptr, 10) != 0;
    }
    return false;
}

} // namespace

int32_t RunTCXCallbackGuarded(intptr_t argument, TCXCallbackBase& callback) {
    if (!g_inCommand.load() || IsDebuggerAttached()) return callback.Call(argument);
    return RunEndingOnEscape([&] { return callback.Call(argument); });
}
