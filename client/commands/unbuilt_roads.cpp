// The table of words whose roads are not built yet, and the one command they all run.
#include "client/commands/unbuilt_roads.h"

#include <string>

namespace KodrinUtil {

namespace {

struct UnbuiltRoad {
    const char* word;  // the command word, lower case
    const char* what;  // the missing part of the program, as the error names it
};

const UnbuiltRoad kUnbuiltRoads[] = {
    {"fpxparse", "Parsing a download-service archive"},
};

}  // namespace

int CommandUnbuiltRoad(CommandContext& context) {
    const char* what = "This command";
    for (const UnbuiltRoad& road : kUnbuiltRoads) {
        if (context.keyword == Kiv::PString(road.word)) what = road.what;
    }
    AddError(context.log, (std::string(what) + " is not available in this version.").c_str());
    return -1;
}

}  // namespace KodrinUtil
