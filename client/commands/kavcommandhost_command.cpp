// `kavcommandhost`: serves the daemon's jobs until the link ends (kav_command_host.h). The
// texture jobs open their resource databases under the installation folder.
#include "client/commands/road_commands.h"
#include "client/host/kav_command_host.h"
#include "link/kav/kav_user_data.h"
#include "content3d/resource_database_holder.h"

namespace KodrinUtil {

int CommandKAVCommandHost(CommandContext&) {
    ResourceDatabaseHolder::SetInstallFolder(KAVUserData::GetInstallFolder().c_str());
    KAVCommandHost::Run();
    return 0;
}

} // namespace KodrinUtil
