// The guarded run of one command. An exception escaping the dispatcher ends the process at
// once with -100: the log is not printed and nothing is shut down. A fault signal
// (segmentation fault, bus error, arithmetic fault, illegal instruction) raised while it
// runs first writes the crash report, then ends the process the same way; the fault
// handlers run on their own stack, so a stack overflow of the command is caught too.
#include "client/dispatcher.h"
#include "client/kodrin_util.h"
#include "engine/terminate_process.h"
#include "foundation/results/command_state.h"
#include "foundation/crash/fault_handlers.h"

namespace KodrinUtil {

namespace {

constexpr int kEscapedResult = -100;

}  // namespace

int RunCommandGuarded(ResultsLog& log, StartupRecord& record, int argc, char** argv) {
    g_inCommand.store(true);
    SetFaultExitCode(kEscapedResult);
    InstallFaultHandlers();
    try {
        return RunCommand(log, record, argc, argv);
    } catch (...) {
        Kiv::TerminateProcess(kEscapedResult);
    }
}

}  // namespace KodrinUtil
