// The old-config upgrade's driver and its general steps, in their order
// (old_config_upgrade.h).
#include "validation/darodi/old_config_upgrade.h"

#include <string>

#include "validation/darodi/build_stamp.h"
#include "validation/darodi/category_tokens.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/old_config_cleanup.h"

namespace DAROdi {
namespace {

constexpr int kCurrentLayoutBuild = 290;
constexpr float kUpgradedBuild = 2.9f;

void TakeOldUserName(ACSChunkRef& config) {
    if (!config.GetNamedTag("username").IsEmpty()) return;
    const Kiv::String name = config.GetNamedTag("name");
    const Kiv::String fileName = config.GetNamedTag("asset-filename");
    if (!name.IsEmpty()) {
        config.SetNamedTagString("username", name.c_str());
        config.RemoveNamedTag("name");
    } else if (!fileName.IsEmpty()) {
        config.SetNamedTagString("username", fileName.c_str());
    }
}

void DropNullMapRegion(ACSChunkRef& config, const Kiv::String& kind) {
    if (kind.Std() != "map") return;
    if (config.GetNamedTagAsKUID("region", KUID::Null()).IsNull()) config.RemoveNamedTag("region");
}

// Joins the numbered tags "<prefix>0", "<prefix>1", ... into target, removing them. A gap
// at index 0 is passed over; any other gap ends the walk.
void JoinNumberedCategories(ACSChunkRef& config, const char* prefix, const char* target,
                            std::string (*item)(std::string)) {
    std::string joined;
    bool taken = false;
    for (int i = 0;; ++i) {
        const Kiv::PString tag = Kiv::PString::Setf("%s%d", prefix, i);
        const std::string text(config.GetNamedTag(tag).View());
        if (text.empty()) {
            if (i == 0) continue;
            break;
        }
        if (taken) joined += ';';
        joined += item(text);
        taken = true;
        config.RemoveNamedTag(tag);
    }
    if (taken) config.SetNamedTagString(target, joined.c_str());
}

std::string RegionItem(std::string text) {
    return std::string(Kiv::AnsiString(text).ToUpper().View());
}

std::string EraItem(std::string text) { return text.back() == 's' ? text : text + "s"; }

// An "rgb" of fewer than three comma-separated values is dropped.
void DropShortColour(ACSChunkRef& config) {
    if (!config.HasTag("rgb")) return;
    std::string rest(config.GetNamedTag("rgb").View());
    for (int i = 0; i < 2; ++i) {
        const size_t comma = rest.find(',');
        rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    }
    if (rest.empty()) config.RemoveNamedTag("rgb");
}

void RenameTag(ACSChunkRef& config, const char* from, const char* to) {
    if (!config.HasTag(from)) return;
    config.SetNamedTagString(to, config.GetNamedTag(from).c_str());
    config.RemoveNamedTag(from);
}

void GeneralSteps(ACSChunkRef& config) {
    if (config.GetNamedTag("license").IsEmpty()) config.RemoveNamedTag("license");
    DropShortColour(config);
    RenameTag(config, "scriptlibrary", "script");
    RenameTag(config, "classlibrary", "class");
}

} // namespace

void UpgradeOldConfigIfNeeded(ACSChunkRef& config) {
    if (StampHundredths(DataManager::Instance().buildStamp) >= kCurrentLayoutBuild) return;
    UpgradeOldConfig(config);
    config.SetNamedTagFloat("kodrin-build", kUpgradedBuild);
}

void UpgradeOldConfig(ACSChunkRef& config) {
    TakeOldUserName(config);
    DropNullMapRegion(config, config.GetNamedTag("kind"));
    for (const char* tag : {"thumbnail", ".cache", "__filename", "__dir"})
        config.RemoveNamedTag(tag);
    JoinNumberedCategories(config, "category-region-", "category-region", RegionItem);
    JoinNumberedCategories(config, "category-era-", "category-era", EraItem);
    GeneralSteps(config);
    const Kiv::String fileName = config.GetNamedTag("asset-filename");
    config.RemoveNamedTag("asset-filename");
    const Kiv::String kind = config.GetNamedTag("kind");
    UpgradeKindTags(config, kind, fileName);
    UpgradeLaterSteps(config, kind);
}

} // namespace DAROdi
