// The program's entry routine and the pieces around one command: the guarded run, the
// results printer, batch mode and the sink for script-machine log lines.
#pragma once

class ResultsLog;

namespace KodrinUtil {

int Main(int argc, char** argv);

}  // namespace KodrinUtil
