// The command host's handler state: installed, console close requested and host loop ended.
// The host-loop flag sits under a mutex with a condition variable, so that a close event
// waiting for the loop to end wakes as soon as ResetCrashHandlers runs.
#include "foundation/crash/crash_handlers.h"

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "foundation/console/console.h"
#include "foundation/crash/console_signals.h"
#include "foundation/crash/crash_report.h"
#include "foundation/crash/fault_handlers.h"

namespace {

constexpr int kLastKeyboardEvent = 1;  // Ctrl+C and Ctrl+Break only set the flag

std::atomic<bool> g_installed{false};
std::atomic<bool> g_consoleCloseRequested{false};

std::mutex g_hostLoopMutex;
std::condition_variable g_hostLoopChanged;
bool g_hostLoopEnded = false;

void SetHostLoopEnded(bool ended) {
    {
        std::lock_guard<std::mutex> lock(g_hostLoopMutex);
        g_hostLoopEnded = ended;
    }
    g_hostLoopChanged.notify_all();
}

bool HostLoopEnded() {
    std::lock_guard<std::mutex> lock(g_hostLoopMutex);
    return g_hostLoopEnded;
}

void WaitUntilHostLoopEnded() {
    std::unique_lock<std::mutex> lock(g_hostLoopMutex);
    g_hostLoopChanged.wait(lock, [] { return g_hostLoopEnded; });
}

}  // namespace

void InstallCrashHandlers(bool hostLoopEnded) {
    SetHostLoopEnded(hostLoopEnded);
    g_installed.store(true);
    ChooseFaultReport(FaultReport::kWrite);
    InstallFaultHandlers();
    static std::once_flag once;
    std::call_once(once, [] {
        std::atexit(CrashAtExitHook);
        StartConsoleSignalThread(ConsoleControlHandler);
    });
}

void ResetCrashHandlers() {
    g_installed.store(false);
    SetHostLoopEnded(true);
}

bool IsConsoleCloseRequested() { return g_consoleCloseRequested.load(); }

void CrashAtExitHook() {
    if (g_installed.load()) RaiseAccessViolation();
}

bool ConsoleControlHandler(int controlType) {
    PrintConsoleText("Console Window event handler called for CtrlType=%d", controlType);
    if (HostLoopEnded()) {
        g_installed.store(false);
        return false;
    }
    g_consoleCloseRequested.store(true);
    if (controlType > kLastKeyboardEvent) WaitUntilHostLoopEnded();
    return true;
}
