// The type numbers of the filter conditions the commands build, named after the key each
// stands for in the filter key-name table (link/kav/kav_filter_key_names.h).
#pragma once

#include <cstdint>

namespace FilterCondition {

// Truth-value conditions ('bool').
constexpr int32_t kLocal = 0;              // "local"
constexpr int32_t kLocallyAvailable = 3;   // "locally-available"
constexpr int32_t kObsolete = 5;           // "obsolete"
constexpr int32_t kLocallyEnabled = 10;    // "locally-enabled"
constexpr int32_t kListingPrivilege = 16;  // "listing-privilege"
// Text conditions ('strn').
constexpr int32_t kCategoryList = 1;       // "category-list"

}  // namespace FilterCondition
