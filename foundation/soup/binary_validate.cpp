// Validation of a body as it is read: every entry fits its region, and every container's
// payload is itself a region of entries that fit. Nesting is capped, so a hostile file
// cannot take the stack down.
#include "foundation/soup/binary_file.h"
#include "foundation/soup/binary_format.h"

bool TDBBinaryFile::Validate(uint32_t region, uint32_t size) const {
    const auto bodySize = static_cast<uint32_t>(bodySize_);
    if (!body_ || region > bodySize || size > bodySize - region) return false;
    return ValidateAt(region, size, 0);
}

bool TDBBinaryFile::ValidateAt(uint32_t region, uint32_t size, int depth) const {
    BinaryEntryWalk walk(body_, region, size);
    BinaryEntry entry;
    while (walk.Next(entry)) {
        if (entry.payload.fileType != static_cast<uint8_t>(ACSFileTagType::Container)) continue;
        if (depth >= BinarySoupFormat::kMaxDepth) return false;
        if (!ValidateAt(entry.payload.offset, entry.payload.size, depth + 1)) return false;
    }
    return !walk.Damaged();
}
