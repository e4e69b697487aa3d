// `searchbycategory`: the assets whose categories match a category text, local ones only,
// or with "-a" every asset the daemon knows (the download service's included). The text's
// syntax ("CMP;MESH|BD;-ACTV|VE|SCEN") is the daemon's; it travels upper-cased. A search
// that cannot run (no category, or the link to the daemon lost) or finds nothing fails with
// an error that says so.
#include <memory>
#include <string>

#include "client/commands/asset_commands.h"
#include "client/commands/filter_conditions.h"
#include "client/commands/install_commands.h"
#include "link/kav/kav_client.h"
#include "link/kav/kav_filter.h"
#include "foundation/console/console.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

std::unique_ptr<KAVFilterElementGroup> CategoryFilter(const Kiv::PString& categories,
                                                      bool localOnly) {
    auto group = std::make_unique<KAVFilterElementGroup>(std::make_unique<KAVFilterElementString>(
        FilterCondition::kCategoryList, categories.ToUpper()));
    if (localOnly) group->Append(std::make_unique<KAVFilterElementBool>(FilterCondition::kLocal));
    return group;
}

void PrintMatches(const KUIDList& assets) {
    PrintConsoleText("+ %d : assets matching the specified criteria", assets.Count());
    int32_t number = 0;
    for (const KUID& kuid : assets) PrintConsoleText("+ #%d : %s", number++, kuid.ToTag().c_str());
}

}  // namespace

int CommandSearchByCategory(CommandContext& context) {
    const bool everyAsset = context.argument == Kiv::PString("-a");
    const Kiv::PString categories = everyAsset ? Kiv::PString(context.Element(3)) : context.argument;
    // An empty pattern would hold for every asset; it is a missing argument instead.
    if (categories.IsEmpty()) {
        AddError(context.log, "Missing category parameter.");
        return -1;
    }
    const std::unique_ptr<KAVFilterElementGroup> filter = CategoryFilter(categories, !everyAsset);
    KUIDList assets;
    KAVClient::QueryAssets(filter.get(), assets);
    if (assets.Count() == 0 && !KAVClient::IsConnected()) {
        AddError(context.log, (std::string("The search did not run: ") + kLinkLost).c_str());
        return -1;
    }
    if (assets.Count() == 0) {
        AddError(context.log, "No assets match the specified criteria.");
        return -1;
    }
    PrintMatches(assets);
    return 0;
}

}  // namespace KodrinUtil
