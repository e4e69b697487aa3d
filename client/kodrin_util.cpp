// Process entry: help, start-up, one command or a batch file, shut-down, process end.
#include "client/kodrin_util.h"

#include <cstdio>

#include "client/help_text.h"
#include "engine/pstring.h"
#include "engine/file_path.h"
#include "engine/string.h"
#include "engine/terminate_process.h"
#include "foundation/console/console.h"
#include "foundation/jobs/process_identity.h"
#include "foundation/files/process.h"
#include "foundation/results/results_log.h"
#include "script_runtime/gs_log.h"

namespace KodrinUtil {

namespace {

int RunSingleCommand(StartupRecord& record, int argc, char** argv) {
    ResultsLog log;
    int result = RunCommandGuarded(log, record, argc, argv);
    PrintResults(log);
    return result;
}

}  // namespace

int Main(int argc, char** argv) {
    Kiv::File::Path programPath;
    if (!GetModuleFilePath(programPath)) return -1;
    if (argc < 2) {
        WriteConsoleText(kHelpText);
        return -1;
    }
    if (Kiv::PString(argv[1]).ToLower() == Kiv::PString("help")) {
        WriteConsoleText(kHelpText);
        return 0;
    }

    StartupRecord record;
    if (Startup(record, argv[0], argc, argv) != 0) {
        std::fputs("- Init failed\n", stderr);
        Shutdown(record);
        return -1;
    }
    RecordProgramIdentity("KodrinUtil");
    SetGSLogHook(ScriptLogSink);

    int result = 0;
    if (argv[1][0] == '@') {
        if (!RunBatch(record, argv[0], argv[1] + 1, result)) {
            Shutdown(record);
            return -1;
        }
    } else {
        result = RunSingleCommand(record, argc, argv);
    }
    Shutdown(record);
    Kiv::TerminateProcess(result);
}

}  // namespace KodrinUtil
