// The "Asset" natives and their registration.
#include <cmath>
#include <limits>
#include <string>

#include "link/kav/kav_asset_handle.h"
#include "link/kav/kav_requests_asset.h"
#include "script_natives/gso_asset.h"
#include "script_natives/gso_image.h"
#include "script_natives/gso_kuid.h"
#include "script_natives/gso_kuid_list.h"
#include "script_natives/gso_soup.h"
#include "script_natives/gso_string_table.h"
#include "script_natives/native_arguments.h"
#include "script_natives/native_registration.h"
#include "script_natives/native_spec_access.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_stack.h"

namespace {

const MemberNative<GSOAsset> kAssetNatives[] = {
    {"$KUID@Asset::GetKUID()", &GSOAsset::GetKUID},
    {"$string@Asset::GetLocalisedName()", &GSOAsset::GetLocalisedName},
    {"$string@Asset::GetLocalisedDescription()", &GSOAsset::GetLocalisedDescription},
    {"$string@Asset::GetCreatorName()", &GSOAsset::GetCreatorName},
    {"$KUID@Asset::LookupKUIDTable(string)", &GSOAsset::LookupKUIDTable},
    {"$Asset@Asset::FindAsset(string)", &GSOAsset::FindAsset},
    {"$StringTable@Asset::GetStringTable()", &GSOAsset::GetStringTable},
    {"$Soup@Asset::GetConfigSoup()", &GSOAsset::GetConfigSoup},
    {"$KUIDList@Asset::GetDependencyList()", &GSOAsset::GetDependencyList},
    {"$bool@Asset::SupportsKodrinBuildVersion(float)", &GSOAsset::SupportsKodrinBuildVersion},
    {"$Image@Asset::LoadImage(string)", &GSOAsset::LoadImage},
    {"$bool@Asset::IsLocallyModified()", &GSOAsset::IsLocallyModified},
    {"$string@Asset::GetInfoURL()", &GSOAsset::GetInfoURL},
    {"$bool@Asset::GetIsFavorite()", &GSOAsset::GetIsFavorite},
    {"$void@Asset::SetIsFavorite(bool)", &GSOAsset::SetIsFavorite},
    {"$Asset@Asset::GetParent()", &GSOAsset::GetParent},
    {"$string@Asset::GetCategoryEra()", &GSOAsset::GetCategoryEra},
    {"$string@Asset::GetCategoryRegion()", &GSOAsset::GetCategoryRegion},
};

// Favourite bytes of the record that mean "favourite".
constexpr uint8_t kFavourite = 4;
constexpr uint8_t kFavouriteToo = 5;

// A build number times 100, truncated toward zero; NaN gives 0 and values beyond the int
// range saturate.
int32_t Hundredths(float build) {
    const float scaled = build * 100.0f;
    if (std::isnan(scaled)) return 0;
    if (scaled >= 2147483647.0f) return std::numeric_limits<int32_t>::max();
    if (scaled <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(scaled);
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// A file name from a script stays inside the asset's folder: not absolute, no ".." step.
bool StaysInsideFolder(std::string_view name) {
    if (name.empty() || IsSeparator(name.front())) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        if (name.substr(start, end - start) == "..") return false;
        start = end + 1;
    }
    return true;
}

// "Asset.FindKUID> unable to find ..." with the table's tag names, raised; always false.
bool RaiseMissingEntry(const Kiv::PString& name, const ACSChunkRef& table) {
    std::string text = "Asset.FindKUID> unable to find '" + std::string(name.View()) + "' in kuid-table\n" +
                       "Available kuids are: ";
    for (int32_t i = 0; i < table.CountTags(); ++i)
        text += "\"" + std::string(table.GetIndexedTagName(i).View()) + "\" ";
    return RaiseScriptError(text.c_str());
}

}  // namespace

void RegisterAssetNatives(GSMachine& machine) {
    RegisterMemberNatives<GSOAsset>(machine, "Asset", kAssetNatives);
}

void GSOAsset::GetKUID(GSStack* stack) { PushKUIDObject(stack, kuid_, Context()); }

void GSOAsset::GetLocalisedName(GSStack* stack) { stack->PushString(Record().name.View(), Context()); }

void GSOAsset::GetLocalisedDescription(GSStack* stack) {
    stack->PushString(KAVAssetRequests::GetAssetDescription(kuid_).View(), Context());
}

void GSOAsset::GetCreatorName(GSStack* stack) { stack->PushString(Record().creatorName.View(), Context()); }

bool GSOAsset::TableEntry(GSStack* stack, KUID& out, bool& noSpec) {
    Kiv::PString name;
    if (!CheckStringArgument(stack, 1, false, name)) return false;
    name = name.ToLower();
    KodrinBaseSpec* spec = GetSpec();
    noSpec = spec == nullptr;
    if (noSpec) return false;
    const ACSChunkRef table = NativeSpecs().GetConfig(spec).GetNamedSoup(Kiv::PString("kuid-table"));
    NativeSpecs().ReleaseUse(spec);
    out = table.GetNamedTagAsKUID(name, KUID::Null());
    return !out.IsNull() || RaiseMissingEntry(name, table);
}

void GSOAsset::LookupKUIDTable(GSStack* stack) {
    KUID kuid;
    bool noSpec = false;
    if (TableEntry(stack, kuid, noSpec))
        PushKUIDObject(stack, kuid, Context());
    else if (noSpec)
        stack->PushReference(nullptr, nullptr);
}

void GSOAsset::FindAsset(GSStack* stack) {
    KUID kuid;
    bool noSpec = false;
    if (TableEntry(stack, kuid, noSpec))
        PushAssetObject(stack, Create(Context(), kuid));
    else if (noSpec)
        stack->PushReference(nullptr, nullptr);
}

void GSOAsset::GetStringTable(GSStack* stack) {
    KodrinBaseSpec* spec = GetSpec();
    stack->PushObjectNoRef(spec ? GSOStringTable::Construct(Context(), spec) : nullptr, ScriptClasses().stringTable);
    if (spec) NativeSpecs().ReleaseUse(spec);
}

void GSOAsset::GetConfigSoup(GSStack* stack) {
    if (config_.IsNull()) config_ = KAVAssetRequests::GetAssetConfig(kuid_, 0);
    stack->PushObjectNoRef(GSOSoup::CreateForSoup(Context(), config_), ScriptClasses().soup);
}

void GSOAsset::GetDependencyList(GSStack* stack) {
    KUIDList dependencies;
    KAVAssetRequests::GetDependencyListOf(kuid_, dependencies);
    stack->PushObjectNoRef(GSOKUIDList::ConstructLocked(Context(), dependencies), ScriptClasses().kuidList);
}

void GSOAsset::SupportsKodrinBuildVersion(GSStack* stack) {
    const KAVAssetInfo& record = Record();
    const float wanted = ArgumentValue(stack, 1).f;
    stack->PushInt(record.valid && Hundredths(record.build) >= Hundredths(wanted) ? 1 : 0);
}

void GSOAsset::LoadImage(GSStack* stack) {
    Kiv::PString name;
    if (!CheckStringArgument(stack, 1, false, name)) return;
    name = name.ToLower();
    if (!StaysInsideFolder(name.View())) return void(stack->PushReference(nullptr, nullptr));
    // The handle's last copy closes the asset at the daemon when it goes, on every path.
    KAVAssetHandle handle = KAVAssetRequests::OpenAsset(kuid_, false, nullptr);
    Kiv::PString location;
    Kiv::File::Path path;
    if (!handle.FetchDetails(location, path)) return void(stack->PushReference(nullptr, nullptr));
    path.AddPath(name.c_str());
    stack->PushObjectNoRef(GSOImage::CreateFromFile(Context(), location.c_str(), path.c_str()), ScriptClasses().image);
}

void GSOAsset::IsLocallyModified(GSStack* stack) {
    stack->PushInt(KAVAssetRequests::IsAssetLocallyModified(kuid_) ? 1 : 0);
}

void GSOAsset::GetInfoURL(GSStack* stack) {
    const ACSChunkRef config = KAVAssetRequests::GetAssetConfig(kuid_, 0);
    stack->PushString(config.GetNamedTag(Kiv::PString("info-url")).View(), Context());
}

void GSOAsset::GetIsFavorite(GSStack* stack) {
    const uint8_t favourite = Record().localRating;
    stack->PushInt(favourite == kFavourite || favourite == kFavouriteToo ? 1 : 0);
}

void GSOAsset::SetIsFavorite(GSStack* stack) {
    KAVAssetRequests::SetAssetFavorite(kuid_, ArgumentValue(stack, 1).i != 0);
    recordLoaded_ = false;
}

void GSOAsset::GetParent(GSStack* stack) { PushAssetObject(stack, Create(Context(), Record().parentKUID)); }

void GSOAsset::GetCategoryEra(GSStack* stack) { stack->PushString(Record().eraCategory.View(), Context()); }

void GSOAsset::GetCategoryRegion(GSStack* stack) { stack->PushString(Record().regionCategory.View(), Context()); }
