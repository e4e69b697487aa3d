// What a command receives from the dispatcher: its log, the start-up record, the argument
// vector, and the command word and first argument already interned and lower-cased.
#pragma once

#include "client/startup_record.h"
#include "engine/pstring.h"

class ResultsLog;

namespace KodrinUtil {

struct CommandContext {
    ResultsLog& log;
    StartupRecord& record;
    int argc;
    char** argv;
    Kiv::PString keyword;   // element 1, lower-cased
    Kiv::PString argument;  // element 2, lower-cased; null when absent

    bool ArgumentMissing() const { return argument.IsEmpty(); }
};

// Adds an error entry without an asset.
void AddError(ResultsLog& log, const char* text);

}  // namespace KodrinUtil
