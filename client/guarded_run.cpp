// The guarded run of one command. An exception escaping the dispatcher, or a fault signal
// (segmentation fault, bus error, arithmetic fault, illegal instruction) raised while it
// runs, ends the process at once with -100: the log is not printed and nothing is shut
// down. The fault handlers run on their own stack so that a stack overflow is caught too.
#include <csignal>
#include <cstdlib>
#include <vector>

#include "client/dispatcher.h"
#include "client/kodrin_util.h"
#include "engine/terminate_process.h"
#include "foundation/command_state.h"

namespace KodrinUtil {

namespace {

constexpr int kEscapedResult = -100;

void OnFaultSignal(int) { Kiv::TerminateProcessFromSignal(kEscapedResult); }

void InstallFaultHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    static std::vector<char> alternateStack(1 << 16);
    stack_t stack{};
    stack.ss_sp = alternateStack.data();
    stack.ss_size = alternateStack.size();
    sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = OnFaultSignal;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) sigaction(signal, &action, nullptr);
}

}  // namespace

int RunCommandGuarded(ResultsLog& log, StartupRecord& record, int argc, char** argv) {
    g_inCommand.store(true);
    InstallFaultHandlers();
    try {
        return RunCommand(log, record, argc, argv);
    } catch (...) {
        Kiv::TerminateProcess(kEscapedResult);
    }
}

}  // namespace KodrinUtil
