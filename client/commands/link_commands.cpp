// `closekavdaemon` and `kavcommandhost`: the daemon link's own words. Both succeed
// whatever happens on the link.
#include "client/commands/road_commands.h"
#include "client/kav/kav_client.h"
#include "client/kav/kav_command_host.h"

namespace KodrinUtil {

int CommandCloseKAVDaemon(CommandContext&) {
    KAVClient::CloseDaemon();
    return 0;
}

int CommandKAVCommandHost(CommandContext&) {
    KAVCommandHost();
    return 0;
}

}  // namespace KodrinUtil
