// `edit`, `commit`, `revert` and `delete`: one asset's edit cycle at the daemon. Each
// handle opened here is released exactly once, by its destructor, on every path. Every
// request gets the command's log, so the daemon's reason for a refusal (an unknown asset,
// one not open for editing, a file-system error) is printed rather than a bare failure. A
// commit whose link to the daemon is lost midway cannot know whether the daemon finished
// it: the error says so and points at `status`.
#include <string>

#include "client/commands/asset_commands.h"
#include "link/kav/kav_client.h"
#include "foundation/console/console.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

int CommandEdit(CommandContext& context) {
    const KUID kuid = context.ArgumentKUID();
    const int32_t errorsBefore = context.log.ErrorCount();
    KAVAssetHandle handle = KAVClient::OpenAsset(kuid, true, &context.log);
    if (!handle.IsValid()) {
        // The daemon's own reason, when it gave one, is the cause.
        if (context.log.ErrorCount() == errorsBefore) {
            AddAssetError(context.log, kuid, "Unknown AssetID.");
        }
        return -1;
    }
    Kiv::PString location;
    Kiv::File::Path path;
    handle.FetchDetails(location, path);
    std::string line = "+ ";
    line += kuid.ToTag().View();
    line += " : ";
    line += path.View();
    WriteConsoleText(line);
    return 0;
}

int CommandCommit(CommandContext& context) {
    const KUID kuid = context.ArgumentKUID();
    KAVAssetHandle handle = KAVClient::OpenAsset(kuid, true, &context.log);
    bool secondResult = false;
    if (KAVClient::CommitAsset(handle, 0, &context.log, secondResult)) return 0;
    if (!KAVClient::IsConnected()) {
        const std::string text = "The connection to the asset database was lost during the commit; "
                                 "\"status " + std::string(kuid.ToTag().View()) +
                                 "\" shows whether the commit went through.";
        AddAssetError(context.log, kuid, text.c_str());
    }
    return -1;
}

int CommandRevert(CommandContext& context) {
    KAVAssetHandle handle = KAVClient::OpenAsset(context.ArgumentKUID(), false, &context.log);
    // The request takes its own copy of the handle and drops it; ours is released here.
    return KAVClient::RevertAsset(handle, &context.log) ? 0 : -1;
}

int CommandDelete(CommandContext& context) {
    return KAVClient::DeleteAsset(context.ArgumentKUID(), true, &context.log) ? 0 : -1;
}

}  // namespace KodrinUtil
