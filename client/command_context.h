// What a command receives from the dispatcher: its log, the start-up record, the argument
// vector, and the command word and first argument already interned and lower-cased. Also
// the two kinds of error entry every command adds: plain, and naming the asset concerned.
#pragma once

#include "client/startup_record.h"
#include "engine/pstring.h"
#include "foundation/kuid/kuid.h"

class ResultsLog;

namespace KodrinUtil {

struct CommandContext {
    ResultsLog& log;
    StartupRecord& record;
    int argc;
    char** argv;
    Kiv::PString keyword;   // element 1, lower-cased
    Kiv::PString argument;  // element 2, lower-cased, for words and KUIDs; null when absent

    bool ArgumentMissing() const { return argument.IsEmpty(); }
    // Element index of argv as typed, or "" when absent. Paths keep their case this way: a
    // file the command creates gets the name the user gave, and a path sent to the daemon
    // names the folder the user meant (another spelling may be another folder here).
    const char* Element(int index) const {
        return index < argc && argv[index] ? argv[index] : "";
    }
    // The argument parsed as a KUID in the strict mode; the null KUID when it is no KUID.
    KUID ArgumentKUID() const { return KUID::Parse(argument.c_str(), true); }
};

// Adds an error entry without an asset.
void AddError(ResultsLog& log, const char* text);
// Adds an error entry whose asset is the KUID (an "AssetID" property), so the printed line
// shows that KUID's tag.
void AddAssetError(ResultsLog& log, const KUID& kuid, const char* text);

}  // namespace KodrinUtil
