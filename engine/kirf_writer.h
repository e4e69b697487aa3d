// The header of the engine's resource files: "KIRF", a u32 count of the bytes that follow
// that field, and a four-character body tag, stored as the little-endian value of its
// letters ("MMTF" is 0x46544D4D). The size is not known until the body is written, so
// KIRFWriteHeader leaves a place for it that KIRFPatchSize fills.
#pragma once

#include <cstdint>

namespace Kiv {

class File;

inline constexpr uint32_t kKIRFTextureTag = 0x46544D4D;  // "MMTF"

// Writes the header at the file's position; returns the offset of the size field, or -1
// when it could not be written.
int64_t KIRFWriteHeader(File& file, uint32_t tag);
// Stores (end of file - sizeOffset - 4) at sizeOffset; false when that fails or does not
// fit 32 bits.
bool KIRFPatchSize(File& file, int64_t sizeOffset);

}  // namespace Kiv
