// The four-character tags of the filter node kinds, as int32 values with the first letter
// in the most significant byte: written little-endian, 'grup' goes out as p u r g.
#pragma once

#include <cstdint>

#include "link/kav/kav_link_format.h"

namespace KAVFilterTag {

constexpr int32_t kGroup = KAVLink::FourCharCode('g', 'r', 'u', 'p');
constexpr int32_t kString = KAVLink::FourCharCode('s', 't', 'r', 'n');
constexpr int32_t kBool = KAVLink::FourCharCode('b', 'o', 'o', 'l');
constexpr int32_t kInt = KAVLink::FourCharCode('i', 'n', 't', 'e');
constexpr int32_t kTimestamp = KAVLink::FourCharCode('t', 'i', 'm', 'e');
constexpr int32_t kAssetID = KAVLink::FourCharCode('a', 's', 's', 't');

} // namespace KAVFilterTag
