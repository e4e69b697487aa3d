// The signal side of crash handling. The handler only calls signal-safe code: the bounded
// console lock, CreateMiniDump when a report was chosen, then _exit or the default action
// of the signal.
#include "foundation/crash/fault_handlers.h"

#include <atomic>
#include <climits>
#include <csignal>

#include "engine/signal_stack.h"
#include "engine/terminate_process.h"
#include "foundation/crash/bounded_console_lock.h"
#include "foundation/crash/crash_report.h"
#include "foundation/crash/fault_signals.h"

namespace {

constexpr int kEndBySignal = INT_MIN;

std::atomic<int> g_faultExitCode{kEndBySignal};
std::atomic<bool> g_writeReport{false};
std::atomic<bool> g_installed{false};

[[noreturn]] void EndAfterFault(int signalNumber) {
    int code = g_faultExitCode.load();
    if (code != kEndBySignal) Kiv::TerminateProcessFromSignal(code);
    // The default action, as without a handler: raised while blocked, delivered on unblock.
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
    sigset_t pending;
    sigemptyset(&pending);
    sigaddset(&pending, signalNumber);
    pthread_sigmask(SIG_UNBLOCK, &pending, nullptr);
    Kiv::TerminateProcessFromSignal(128 + signalNumber);
}

void OnFaultSignal(int signalNumber, siginfo_t* info, void*) {
    TakeConsoleCriticalSectionBriefly();  // kept: the process ends holding it
    if (!g_writeReport.load()) EndAfterFault(signalNumber);
    FaultDetails details{signalNumber, info->si_code};
    if (info->si_code <= 0) {
        details.sender = info->si_pid;  // kill or raise: si_addr holds no address then
    } else {
        details.address = reinterpret_cast<uintptr_t>(info->si_addr);
    }
    CreateMiniDump(details);
    EndAfterFault(signalNumber);
}

}  // namespace

void InstallFaultHandlers() {
    if (g_installed.exchange(true)) return;
    PrepareCrashReport();
    Kiv::EnsureAlternateSignalStack();  // the installing thread, usually the main one
    struct sigaction action {};
    action.sa_sigaction = OnFaultSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const FaultSignal& row : kFaultSignals) sigaddset(&action.sa_mask, row.number);
    for (const FaultSignal& row : kFaultSignals) sigaction(row.number, &action, nullptr);
}

void SetFaultExitCode(int code) { g_faultExitCode.store(code); }

void ChooseFaultReport(FaultReport report) { g_writeReport.store(report == FaultReport::kWrite); }
