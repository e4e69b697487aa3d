// `closekavdaemon`: the daemon link's own word. It succeeds whatever happens on the link.
#include "client/commands/road_commands.h"
#include "link/kav/kav_client.h"

namespace KodrinUtil {

int CommandCloseKAVDaemon(CommandContext&) {
    KAVClient::CloseDaemon();
    return 0;
}

}  // namespace KodrinUtil
