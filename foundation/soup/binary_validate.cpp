// Validation of a body as it is read: every entry fits its region, and every container's
// payload is itself a region of entries that fit. No entry may lie more than kMaxSoupDepth
// containers below the root, so a hostile file cannot take the stack down.
#include "foundation/soup/binary_file.h"
#include "foundation/soup/binary_format.h"
#include "foundation/soup/soup_depth.h"

bool TDBBinaryFile::Validate(uint32_t region, uint32_t size) const {
    const auto bodySize = static_cast<uint32_t>(bodySize_);
    if (!body_ || region > bodySize || size > bodySize - region) return false;
    return ValidateAt(region, size, 0);
}

bool TDBBinaryFile::ValidateAt(uint32_t region, uint32_t size, int level) const {
    BinaryEntryWalk walk(body_, region, size);
    BinaryEntry entry;
    while (walk.Next(entry)) {
        if (level > kMaxSoupDepth) return false;
        if (entry.payload.fileType != static_cast<uint8_t>(ACSFileTagType::Container)) continue;
        if (!ValidateAt(entry.payload.offset, entry.payload.size, level + 1)) return false;
    }
    return !walk.Damaged();
}
