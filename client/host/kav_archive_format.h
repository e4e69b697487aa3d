// The layout of the multi-asset archive ('karc'), little-endian: int32 magic, int32
// version, float32 build (version 1 only), int32 end offset (the file's size), int32 archive
// tag, then entries {KUID, int32 next-entry offset, config soup "ACS$"} and the null KUID.
#pragma once

#include <cstdint>

namespace KAVArchiveFormat {

constexpr int32_t kMagic = 0x6B617263; // the bytes "crak"
constexpr int32_t kVersion = 1;
constexpr float kBuild = 3.3f;
// The build an archive counts as made by: build * 100 + 0.1, truncated.
constexpr int32_t kThisBuild = 330;

} // namespace KAVArchiveFormat
