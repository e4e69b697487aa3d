// The guarded run of one command. An exception escaping the dispatcher ends the process at
// once with -100: the log is not printed and nothing is shut down. A fault signal
// (segmentation fault, bus error, arithmetic fault, illegal instruction) raised while it
// runs, on any thread, ends the process the same way; the fault handlers run on each
// thread's own signal stack, so a stack overflow is caught too. An ordinary command writes
// no crash report: only the command host chooses reports, as it installs its handlers.
#include "client/dispatcher.h"
#include "client/kodrin_util.h"
#include "foundation/crash/fault_handlers.h"
#include "foundation/jobs/run_guarded.h"
#include "foundation/results/command_state.h"

namespace KodrinUtil {

int RunCommandGuarded(ResultsLog& log, StartupRecord& record, int argc, char** argv) {
    g_inCommand.store(true);
    SetFaultExitCode(kEscapedExceptionExit);
    InstallFaultHandlers();
    return RunEndingOnEscape([&] { return RunCommand(log, record, argc, argv); });
}

}  // namespace KodrinUtil
