// `importconsists <list>`: turns an old route-editor consist list into consist assets, one
// per train ("train-0", "train-1", ... up to the first missing number). The list is read in
// the working folder the process started in; the program folder is restored on every path.
// A train whose name matches an existing local consist is left out, and so is one whose new
// asset the daemon did not create or whose folder it did not name: its config is never
// written anywhere else (an unknown folder would be the working folder).
#include <memory>
#include <set>
#include <string>

#include "client/commands/filter_conditions.h"
#include "client/commands/road_commands.h"
#include "client/commands/startup_folder_scope.h"
#include "link/kav/kav_client.h"
#include "link/kav/kav_filter.h"
#include "foundation/soup/chunk_ref.h"

namespace KodrinUtil {

namespace {

constexpr float kConsistBuild = 3.1f;

Kiv::PString Numbered(const char* prefix, int32_t n) {
    return Kiv::PString((std::string(prefix) + std::to_string(n)).c_str());
}

Kiv::PString Name(const char* text) { return Kiv::PString(text); }

// Local consists that may be listed: category "CN", local, locally available, listable,
// and not obsolete.
std::unique_ptr<KAVFilterElementGroup> ConsistFilter() {
    auto group = std::make_unique<KAVFilterElementGroup>(
        std::make_unique<KAVFilterElementString>(FilterCondition::kCategoryList, Name("CN")));
    group->Append(std::make_unique<KAVFilterElementBool>(FilterCondition::kLocal));
    group->Append(std::make_unique<KAVFilterElementBool>(FilterCondition::kLocallyAvailable));
    group->Append(std::make_unique<KAVFilterElementBool>(FilterCondition::kListingPrivilege));
    KAVFilterElementGroup::OpenSubgroup(
        *group, std::make_unique<KAVFilterElementBool>(FilterCondition::kObsolete));
    return group;
}

bool ConsistExists(const Kiv::String& name) {
    const std::unique_ptr<KAVFilterElementGroup> filter = ConsistFilter();
    KUIDList consists;
    KAVClient::QueryAssets(filter.get(), consists);
    for (const KUID& kuid : consists) {
        if (Kiv::AnsiString(KAVClient::GetAssetName(kuid)).Compare(name.c_str()) == 0) return true;
    }
    return false;
}

// The train's cars in the consist-config form; each car's KUID joins the table set.
ACSChunkRef ConsistList(const ACSChunkRef& list, std::set<KUID>& table) {
    ACSChunkRef consist;
    consist.EnsureContainer();
    for (int32_t n = 0; list.HasTag(Numbered("car-", n)); ++n) {
        const KUID kuid = list.GetNamedTagAsKUID(Numbered("car-", n), KUID::Null());
        ACSChunkRef car;
        car.SetNamedTagKUID(Name("car-kuid"), kuid);
        car.SetNamedTagInt(Name("car-num"), list.GetNamedTagAsInt(Numbered("num-", n), 0));
        car.SetNamedTagInt(Name("car-dir"),
                           list.GetNamedTagAsBool(Numbered("dir-", n), false) ? 1 : 0);
        consist.SetNamedSoup(Numbered("car-", n), car);
        table.insert(kuid);
    }
    return consist;
}

ACSChunkRef ConsistConfig(const Kiv::String& name, const ACSChunkRef& list) {
    ACSChunkRef config;
    config.SetNamedTagString(Name("kind"), "consist");
    config.SetNamedTagString(Name("username"), name.c_str());
    config.SetNamedTagFloat(Name("kodrin-build"), kConsistBuild);
    std::set<KUID> kuids;
    ACSChunkRef consist = ConsistList(list, kuids);
    config.SetNamedSoup(Name("consist-list"), consist);
    ACSChunkRef table;
    table.EnsureContainer();
    int32_t index = 0;
    for (const KUID& kuid : kuids) table.SetNamedTagKUID(Numbered("", index++), kuid);
    config.SetNamedSoup(Name("kuid-table"), table);
    return config;
}

void ImportTrain(const ACSChunkRef& train, ResultsLog& log) {
    const Kiv::PString nameTag = Name("name");
    const Kiv::PString listTag = Name("list");
    if (!train.HasTag(nameTag) || !train.HasTag(listTag)) return;
    const Kiv::String name = train.GetNamedTag(nameTag);
    if (ConsistExists(name)) return;
    KAVAssetHandle handle = KAVClient::CreateAsset(KUID::Null(), true, Kiv::String());
    if (!handle.IsValid()) return;
    Kiv::PString location;
    Kiv::File::Path folder;
    if (!handle.FetchDetails(location, folder) || folder.View().empty()) return;
    const ACSChunkRef config = ConsistConfig(name, train.GetNamedSoup(listTag));
    config.SaveToFile(folder.c_str(), "config.txt", "txt");
    bool secondResult = false;
    KAVClient::CommitAsset(handle, 0, &log, secondResult);
}

}  // namespace

int CommandImportConsists(CommandContext& context) {
    StartupFolderScope folder;
    ACSChunkRef list;
    if (!list.LoadFromFile(nullptr, context.Element(2), nullptr, false)) {
        AddError(context.log, "Invalid input path.");
        return -1;
    }
    for (int32_t t = 0; list.HasTag(Numbered("train-", t)); ++t)
        ImportTrain(list.GetNamedSoup(Numbered("train-", t)), context.log);
    return 0;
}

}  // namespace KodrinUtil
