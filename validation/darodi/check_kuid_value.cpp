// CheckKUIDValue over the daemon's resolve (26) and asset-record (21, categories) requests.
#include "validation/darodi/check_kuid_value.h"

#include "foundation/text/category_pattern.h"
#include "link/kav/kav_asset_info.h"
#include "link/kav/kav_client.h"
#include "validation/darodi/container.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/finding_format.h"
#include "validation/darodi/tag.h"

namespace DAROdi {

namespace {

bool IsInObsoleteTable(const Tag& tag) {
    return tag.parent != nullptr && tag.parent->name == Kiv::PString("obsolete-table");
}

void WarnInTag(const Kiv::PString& text, Tag& tag) {
    if (ErrorHandler* handler = ErrorHandler::Instance()) handler->WarningInTag(text, &tag);
}

} // namespace

bool CheckKUIDValue(Tag& tag) {
    if (IsInObsoleteTable(tag)) return true;
    KUID kuid = KUID::Parse(tag.value.c_str(), false);
    if (kuid.IsNull()) {
        WarnInTag(FormatFinding("$tet_val_nullkuidwarn", tag.name), tag);
        return true;
    }
    kuid = KAVClient::ResolveKUID(kuid);
    const Kiv::PString shown = kuid.ToTag();
    KAVAssetInfo info;
    if (!KAVClient::GetAssetInfo(kuid, info, kAssetDetailCategories)) {
        WarnInTag(FormatFinding("$tet_val_kuidnotindatabase", shown), tag);
        return true;
    }
    if ((info.flags1 & KAVAssetFlags::kInstalledLocally) == 0) {
        WarnInTag(FormatFinding("$tet_val_asset_not_local", shown), tag);
        return true;
    }
    if (tag.categoryPattern.IsEmpty() || tag.name == Kiv::PString("mesh-asset") ||
        MatchCategoryPattern(tag.categoryPattern.c_str(), info.categoryText.c_str()))
        return true;
    if (ErrorHandler* handler = ErrorHandler::Instance())
        handler->ErrorInTag(FormatFinding("$tet_val_missmatchcategory", shown, tag.name), &tag);
    return false;
}

} // namespace DAROdi
