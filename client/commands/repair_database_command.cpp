// The repair command, waiting for the repair task: nothing is started.
#include "client/commands/repair_database_command.h"

namespace KodrinUtil {

namespace {

constexpr int kRepairFailed = 255;

}  // namespace

int CommandRepairDatabase(CommandContext&) {
    return kRepairFailed;
}

}  // namespace KodrinUtil
