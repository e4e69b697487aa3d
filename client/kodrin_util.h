// The program's entry routine and the pieces around one command: start-up and shut-down,
// the guarded run, the results printer, batch mode and the sink for script-machine log
// lines. One process runs one command or one batch file, between one start-up and one
// shut-down, and ends with the command's result as exit code.
#pragma once

#include <cstdarg>

#include "client/startup_record.h"

class ResultsLog;

namespace KodrinUtil {

int Main(int argc, char** argv);

// Brings up what a command may need; 0 when ready, 255 otherwise.
int Startup(StartupRecord& record, const char* programPath, int argc, char** argv);
// Takes it down again; tolerates a start-up that stopped part-way. Returns 0.
int Shutdown(StartupRecord& record);

// Runs the dispatcher; an exception or a fault signal escaping the command ends the
// process at once with -100.
int RunCommandGuarded(ResultsLog& log, StartupRecord& record, int argc, char** argv);

// Prints every entry of the log with its kind's prefix and asset, then the counts line.
void PrintResults(ResultsLog& log);

// Runs every line of a batch file; result becomes -1 once a line's command failed. False
// (after the missing-file message on standard error) when the file does not exist.
bool RunBatch(StartupRecord& record, const char* programPath, const char* fileName,
              int& result);

// Logs one script-machine line (cut to 16,383 characters) as "ScriptLog> <text>".
void ScriptLogSink(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace KodrinUtil
