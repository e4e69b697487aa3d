// The KUIDs an asset needs and retires, the merge of needed KUIDs into the "kuid-table" of
// its installed config, and the install copy itself.
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "foundation/cdp/cdp_asset.h"
#include "foundation/text/text_helpers.h"

namespace {

// The config tags that name one KUID the asset depends on, in the order they are read.
constexpr const char* kDependencyTags[] = {
    "alias",       "bridgetrack", "bogey",     "preview-mesh-kuid", "map-kuid",
    "product-category", "bogey-1", "bogey-1-r", "interior", "enginespec", "enginesound",
};

// An engine traincar without an "interior" gets this one.
constexpr KUID kDefaultInterior(-10, 172, 127);

void RemoveKUID(KUIDList& set, const KUID& kuid) {
    auto at = set.Find(kuid);
    if (!at.IsEnd()) set.Erase(at);
}

bool NeedsDefaultInterior(const ACSChunkRef& config) {
    return config.GetNamedTag("kind").ToPString().EqualsIgnoreCase("traincar") &&
           config.GetNamedTagAsInt("engine", -1) == 1 &&
           config.GetNamedTagAsKUID("interior", KUID::Null()).IsNull();
}

// The number a "kuid-table" entry is named with, read as "%d" reads it: leading blanks, a
// sign and digits, anything after ignored. -1 when there is no number or it does not fit.
int64_t EntryNumber(const Kiv::PString& name) {
    const char* text = name.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return -1;
    return value;
}

// Appends to a non-empty table each KUID of the set it does not list yet, numbered after
// the highest number among its names. True when it added one.
bool AppendMissing(ACSChunkRef& table, const KUIDList& set) {
    int64_t highest = -1;
    KUIDList present;
    const int32_t count = table.CountTags();
    for (int32_t i = 0; i < count; ++i) {
        const Kiv::PString name = table.GetIndexedTagName(i);
        const int64_t number = EntryNumber(name);
        if (number > highest) highest = number;
        AddUnique(present, table.GetNamedTagAsKUID(name, KUID::Null()));
    }
    bool added = false;
    for (const KUID& kuid : set) {
        if (kuid.IsNull() || !present.Find(kuid).IsEnd()) continue;
        table.SetNamedTagKUID(Kiv::PString::Setf("%lld", static_cast<long long>(++highest)),
                              kuid);
        added = true;
    }
    return added;
}

} // namespace

void CDPAsset::CollectObsoletes(const ACSChunkRef& config, const KUID& own, KUIDList& set) {
    ACSChunkRef::CollectKUIDTags(config.GetNamedSoup("obsolete-table"), set);
    AddUnique(set, config.GetNamedTagAsKUID("obsoletes-kuid", KUID::Null()));
    RemoveKUID(set, own);
}

void CDPAsset::CollectDependencies(const ACSChunkRef& config, const KUID& own, KUIDList& set) {
    KUIDList dependencies;
    ACSChunkRef::CollectKUIDTags(config.GetNamedSoup("kuid-table"), dependencies);
    for (const char* tag : kDependencyTags)
        AddUnique(dependencies, config.GetNamedTagAsKUID(tag, KUID::Null()));
    if (NeedsDefaultInterior(config)) AddUnique(dependencies, kDefaultInterior);

    KUIDList excluded;
    ACSChunkRef::CollectKUIDTags(config.GetNamedSoup("obsolete-table"), excluded);
    AddUnique(excluded, own);
    for (const KUID& kuid : excluded)
        RemoveKUID(dependencies, kuid);

    for (const KUID& kuid : dependencies)
        AddUnique(set, kuid);
}

void CDPAsset::MergeKUIDTable(CDPAsset& asset, ACSChunkRef& config, const KUIDList& set) {
    ACSChunkRef table = config.GetNamedSoup("kuid-table");
    if (table.CountTags() > 0) {
        if (!set.IsEmpty() && AppendMissing(table, set)) asset.modified_ = true;
    } else {
        table = ACSChunkRef::FromKUIDSet(set);
        if (!set.IsEmpty()) asset.modified_ = true;
    }
    config.SetNamedSoup("kuid-table", table);
}

ACSChunkRef CDPAsset::MakeInstallConfig() {
    ACSChunkRef copy;
    copy.CopyFrom(config_);
    for (const char* tag : {"files", "dsid", "compression", "folder-icon"})
        copy.RemoveNamedTag(tag);

    const Kiv::PString kind = copy.GetNamedTag("kind").ToPString();
    Kiv::PString lowered = kind;
    LowerCasePString(lowered);
    if (lowered != kind) {
        copy.SetNamedTagString("kind", lowered.c_str());
        modified_ = true;
    }
    if (copy.HasTag(".cache")) {
        copy.RemoveNamedTag(".cache");
        modified_ = true;
    }

    KUIDList dependencies;
    CollectDependencies(config_, GetKUID(), dependencies);
    MergeKUIDTable(*this, copy, dependencies);
    return copy;
}
