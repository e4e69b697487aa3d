// The checks of one entry. Lengths are compared in 64-bit arithmetic, so no length word of
// a hostile file can wrap a bound.
#include "foundation/soup/binary_entry.h"

#include <cstring>

#include "foundation/soup/binary_format.h"
#include "foundation/streams/little_endian.h"

namespace {

std::string_view StoredName(const uint8_t* bytes, uint32_t nameLength) {
    if (nameLength == 0) return {};
    const auto* text = reinterpret_cast<const char*>(bytes);
    const size_t limit = nameLength - 1;
    const void* zero = std::memchr(text, 0, limit);
    return std::string_view(text, zero ? static_cast<const char*>(zero) - text : limit);
}

} // namespace

bool BinaryEntryWalk::Next(BinaryEntry& entry) {
    if (damaged_ || end_ - at_ <= BinarySoupFormat::kIgnoredTail) return false;
    const uint8_t* bytes = body_ + at_;
    const int64_t length = static_cast<int32_t>(LoadLittleEndian(bytes, 4));
    const uint32_t nameLength = bytes[4];
    // The length counts the name, the type byte and the payload; less is no entry at all.
    const bool covered = length >= static_cast<int64_t>(nameLength) + 2;
    if (!covered || 4 + length > static_cast<int64_t>(end_ - at_)) {
        damaged_ = true;
        return false;
    }
    entry.offset = at_;
    entry.name = StoredName(bytes + 5, nameLength);
    entry.payload.fileType = bytes[5 + nameLength];
    entry.payload.offset = at_ + BinarySoupFormat::kEntryOverhead + nameLength;
    entry.payload.size = static_cast<uint32_t>(length) - nameLength - 2;
    entry.next = at_ + 4 + static_cast<uint32_t>(length);
    at_ = entry.next;
    return true;
}
