// `edit`, `commit`, `revert` and `delete`: one asset's edit cycle at the daemon. Each
// handle opened here is released exactly once, by its destructor, on every path.
#include <string>

#include "client/commands/asset_commands.h"
#include "client/kav/kav_client.h"
#include "foundation/console/console.h"

namespace KodrinUtil {

int CommandEdit(CommandContext& context) {
    const KUID kuid = context.ArgumentKUID();
    KAVAssetHandle handle = KAVClient::OpenAsset(kuid, true, &context.log);
    if (!handle.IsValid()) {
        AddAssetError(context.log, kuid, "Unknown AssetID.");
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
    KAVAssetHandle handle = KAVClient::OpenAsset(context.ArgumentKUID(), true, nullptr);
    bool secondResult = false;
    return KAVClient::CommitAsset(handle, 0, &context.log, secondResult) ? 0 : -1;
}

int CommandRevert(CommandContext& context) {
    KAVAssetHandle handle = KAVClient::OpenAsset(context.ArgumentKUID(), false, nullptr);
    // The request takes its own copy of the handle and drops it; ours is released here.
    return KAVClient::RevertAsset(handle, &context.log) ? 0 : -1;
}

int CommandDelete(CommandContext& context) {
    return KAVClient::DeleteAsset(context.ArgumentKUID(), true, nullptr) ? 0 : -1;
}

}  // namespace KodrinUtil
