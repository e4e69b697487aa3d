// The key-name table of filter conditions and its lookup.
#include "link/kav/kav_filter_key_names.h"

#include "link/kav/kav_filter_tags.h"

namespace {

using namespace KAVFilterTag;

// tag, type, key name
constexpr KAVFilterKeyNameRow kRows[] = {
    {kGroup, 0, "group"},
    {kString, 0, "asset-name"},
    {kString, 1, "category-list"},
    {kString, 2, "era-list"},
    {kString, 3, "keyword-list"},
    {kString, 4, "region-list"},
    {kInt, 0, "local-rating"},
    {kInt, 1, "author"},
    {kInt, 2, "version"},
    {kTimestamp, 0, "installation-timestamp"},
    {kTimestamp, 1, "modification-timestamp"},
    {kAssetID, 0, "asset-id"},
    {kAssetID, 1, "profile-map"},
    {kBool, 0, "local"},
    {kBool, 1, "fetchport"},
    {kBool, 2, "location-unknown"},
    {kBool, 3, "locally-available"},
    {kBool, 4, "up-to-date"},
    {kBool, 5, "obsolete"},
    {kBool, 6, "locally-modified"},
    {kBool, 7, "valid-name"},
    {kBool, 8, "open-for-edit"},
    {kBool, 9, "in-archive"},
    {kBool, 10, "locally-enabled"},
    {kBool, 11, "has-missing-dependencies"},
    {kBool, 12, "has-faulty-dependencies"},
    {kBool, 13, "faulty"},
    {kBool, 14, "from-huebarn"},
    {kBool, 15, "builtin"},
    {kBool, 16, "listing-privilege"},
    {kBool, 17, "warnings"},
    {kBool, 18, "has-script-source"},
    {kBool, 19, "compatible"},
};

} // namespace

std::span<const KAVFilterKeyNameRow> KAVFilterKeyNames() {
    return kRows;
}

Kiv::PString KAVFilterKeyName(int32_t tag, int32_t type) {
    for (const KAVFilterKeyNameRow& row : kRows)
        if (row.tag == tag && row.type == type) return Kiv::PString(row.name);
    return Kiv::PString("unknown");
}
