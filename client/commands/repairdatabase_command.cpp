// `repairdatabase [extended|patcher]`: runs the repair task on the main thread and takes
// over the entries the daemon streamed into it. The patcher's repair prints nothing of its
// own and is followed by the daemon's patcher step (request 256).
#include <memory>

#include "client/commands/database_commands.h"
#include "link/kav/kav_client.h"
#include "link/kav/kav_task_repair_database.h"
#include "foundation/console/console.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

constexpr int kRepairLoggedError = 255;

int32_t RepairMode(const Kiv::PString& word) {
    if (word == Kiv::PString("extended")) return KAVTaskRepairDatabase::kModeExtended;
    if (word == Kiv::PString("patcher")) return KAVTaskRepairDatabase::kModePatcher;
    return KAVTaskRepairDatabase::kModeNormal;
}

}  // namespace

int CommandRepairDatabase(CommandContext& context) {
    const int32_t mode = RepairMode(context.argument);
    if (mode != KAVTaskRepairDatabase::kModePatcher)
        WriteConsoleText("Repairing asset database (this may take some time)");
    KAVTaskRepairDatabase repair(mode);
    auto task = std::make_unique<KAVTask>();
    repair.RunHere(task.get());
    context.log.CopyFrom(*task);
    const int result = task->ErrorCount() > 0 ? kRepairLoggedError : 0;
    task.reset();
    if (mode == KAVTaskRepairDatabase::kModePatcher) KAVClient::RunPatcher();
    return result;
}

}  // namespace KodrinUtil
