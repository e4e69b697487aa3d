// `kavcommandhost`: serves the daemon's jobs until the link ends (kav_command_host.h).
#include "client/commands/road_commands.h"
#include "client/host/kav_command_host.h"

namespace KodrinUtil {

int CommandKAVCommandHost(CommandContext&) {
    KAVCommandHost::Run();
    return 0;
}

} // namespace KodrinUtil
