// The command dispatcher: turns one argument vector into one command. Element 1 is the
// command word and element 2 its argument, both compared lower-cased; the words are tried in
// a fixed order (the table in dispatcher.cpp) and the first equal one runs. Every failure
// becomes an error entry in the command's results log; nothing is thrown.
#pragma once

#include "client/startup_record.h"

class ResultsLog;

namespace KodrinUtil {

int RunCommand(ResultsLog& log, StartupRecord& record, int argc, char** argv);

}  // namespace KodrinUtil
