// Fetching what an installed asset still misses from the download service, in bounded
// passes.
#include <set>

#include "client/commands/fpx_commands.h"
#include "link/kav/kav_client.h"
#include "client/startup_state.h"

namespace KodrinUtil {

int32_t FetchMissingDependencies(const KUID& kuid, const DependencyInstaller& install) {
    if (!DownloadServiceAvailable()) return 0;
    std::set<KUID> installed;
    int32_t passes = 0;
    int64_t passLimit = -1;
    for (;;) {
        KUIDList dependencies;
        KAVClient::GetDependencyListOf(kuid, dependencies);
        if (passLimit < 0) passLimit = static_cast<int64_t>(dependencies.Count()) + 1;
        ++passes;
        bool lastInstalled = false;
        bool installedNew = false;
        for (const KUID& dependency : dependencies) {
            lastInstalled = install(dependency);
            if (lastInstalled) installedNew = installed.insert(dependency).second || installedNew;
        }
        if (!lastInstalled || !installedNew || passes >= passLimit) return passes;
    }
}

}  // namespace KodrinUtil
