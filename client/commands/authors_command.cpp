// `authors`: the user names of the authors of local content, each once, in the byte order
// of the name, so that the same database always prints the same list.
#include <memory>
#include <set>

#include "client/commands/asset_commands.h"
#include "client/commands/filter_conditions.h"
#include "link/kav/kav_client.h"
#include "link/kav/kav_filter.h"
#include "foundation/console/console.h"

namespace KodrinUtil {

namespace {

std::unique_ptr<KAVFilterElementGroup> LocalContentFilter() {
    auto group = std::make_unique<KAVFilterElementGroup>();
    group->Append(std::make_unique<KAVFilterElementBool>(FilterCondition::kLocal));
    group->Append(std::make_unique<KAVFilterElementBool>(FilterCondition::kLocallyAvailable));
    group->Append(std::make_unique<KAVFilterElementBool>(FilterCondition::kLocallyEnabled));
    return group;
}

}  // namespace

Kiv::PString GetAuthorOfAsset(const KUID& kuid) {
    KAVAssetInfo info;
    // An asset the daemon does not know has no author; its record's author id would name
    // the placeholder author 0.
    if (!KAVClient::GetAssetInfo(kuid, info, kAssetDetailAll)) return {};
    return KAVClient::GetUserNameText(info.authorId);
}

int CommandAuthors(CommandContext&) {
    const std::unique_ptr<KAVFilterElementGroup> filter = LocalContentFilter();
    KUIDList assets;
    KAVClient::QueryAssets(filter.get(), assets);
    std::set<Kiv::PString, decltype(&Kiv::PString::LessText)> names(&Kiv::PString::LessText);
    for (const KUID& kuid : assets) {
        Kiv::PString name = GetAuthorOfAsset(kuid);
        if (!name.IsEmpty()) names.insert(std::move(name));
    }
    for (const Kiv::PString& name : names) WriteConsoleText(name.View());
    return 0;
}

}  // namespace KodrinUtil
