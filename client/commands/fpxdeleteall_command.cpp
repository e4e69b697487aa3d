// `fpxdeleteall`: deletes every asset the daemon lists as local, whatever each deletion
// reports.
#include "client/commands/filter_conditions.h"
#include "client/commands/fpx_commands.h"
#include "link/kav/kav_client.h"
#include "link/kav/kav_filter.h"

namespace KodrinUtil {

bool DeleteAllFPXAssets(ResultsLog&) {
    const KAVFilterElementBool local(FilterCondition::kLocal);
    KUIDList assets;
    KAVClient::QueryAssets(&local, assets);
    for (const KUID& kuid : assets) KAVClient::DeleteAsset(kuid, true, nullptr);
    return true;
}

int CommandFPXDeleteAll(CommandContext& context) {
    DeleteAllFPXAssets(context.log);
    return 0;
}

}  // namespace KodrinUtil
