// The command words whose roads are not built yet, as one table (unbuilt_roads.cpp): each
// word with the part of the program it needs. Such a word still makes its argument checks
// (the dispatcher's, and the command's own where it has them), then adds an error entry
// saying what is not available and ends with -1, so a script that calls it sees a failure,
// never a silent success. A road that gets built leaves the table for its own command.
#pragma once

#include "client/command_context.h"

namespace KodrinUtil {

// Adds the table's error for the context's command word; always -1.
int CommandUnbuiltRoad(CommandContext& context);

}  // namespace KodrinUtil
