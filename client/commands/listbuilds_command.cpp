// `listbuilds`: the daemon's list of installed builds (one number a line) into a file. The
// file is created before the daemon is asked, so a path that cannot be written fails at
// once; a write that fails afterwards is reported, not counted as success.
#include "client/commands/asset_commands.h"
#include "link/kav/kav_client.h"
#include "engine/file.h"

namespace KodrinUtil {

namespace {

constexpr uint32_t kCreateOrReplace = Kiv::File::kOpenCreate | Kiv::File::kOpenWrite;

}  // namespace

int CommandListBuilds(CommandContext& context) {
    Kiv::File file;
    file.Open(context.Element(2), kCreateOrReplace);
    if (file.GetHandle() == -1) {
        AddError(context.log, "Failed to open output file.");
        return -1;
    }
    const Kiv::PString builds = KAVClient::ListInstalledBuilds();
    if (!file.WriteLine(builds.c_str())) {
        AddError(context.log, "Failed to write output file.");
        return -1;
    }
    return 0;
}

}  // namespace KodrinUtil
