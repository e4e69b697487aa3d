// `validate`: the daemon validates an asset opened without editing and streams its
// findings into the command's log. The asset is the log's context while the request runs,
// so an entry added without an asset meanwhile names it.
#include "client/commands/asset_commands.h"
#include "link/kav/kav_client.h"
#include "foundation/results/kodrin_property.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

void ValidateWithContext(const KUID& kuid, const Kiv::PString& location,
                         const Kiv::File::Path& path, ResultsLog& log) {
    auto* asset = new KodrinPropertyAssetID(Kiv::PString("AssetID"), kuid);
    log.PushContext(asset);
    asset->Release();
    KAVClient::ValidateAsset(location, path, &log);
    log.PopContext();
}

}  // namespace

bool ValidateAsset(const KUID& kuid, ResultsLog& log) {
    KAVAssetHandle handle = KAVClient::OpenAsset(kuid, false, &log);
    Kiv::PString location;
    Kiv::File::Path path;
    if (!handle.IsValid() || !handle.FetchDetails(location, path)) return false;
    ValidateWithContext(kuid, location, path, log);
    return true;
}

int CommandValidate(CommandContext& context) {
    return ValidateAsset(context.ArgumentKUID(), context.log) ? 0 : -1;
}

}  // namespace KodrinUtil
