// `repairdatabase`: the daemon repairs its asset database while the tool polls and shows
// the daemon's findings. Not built yet: no repair is started.
#pragma once

#include "client/command_context.h"

namespace KodrinUtil {

// 0 when the repair logged no error, else 255. Not built yet: answers 255 at once without
// contacting the daemon or printing anything.
int CommandRepairDatabase(CommandContext& context);

}  // namespace KodrinUtil
