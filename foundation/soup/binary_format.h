// The fixed values of the "ACS$" binary soup form: the 16-byte header, the entry layout and
// the file type codes, with the one table that maps file types to and from the in-memory
// tag types. The writer, the reader and the views all read this table.
#pragma once

#include <cstdint>

#include "foundation/soup/soup_depth.h"
#include "foundation/soup/tag_type.h"

namespace BinarySoupFormat {

constexpr uint32_t kMagic = 0x24534341; // the bytes "ACS$"
constexpr int32_t kVersionWritten = 1;
constexpr int32_t kVersionAnsiStrings = 0; // strings stored in the system ANSI code page
constexpr uint32_t kHeaderSize = 16;       // magic, version, reserved, body size
// The length word, the name length byte and the type byte of an entry.
constexpr uint32_t kEntryOverhead = 6;
// A region ending in this many bytes or fewer holds no further entry; they are ignored.
constexpr uint32_t kIgnoredTail = 5;
// Names are stored with their zero byte behind a length byte, so 254 bytes at most.
constexpr uint32_t kMaxNameLength = 254;
// The soup nesting limit (soup_depth.h), as this form's reader and writer apply it.
constexpr int kMaxDepth = kMaxSoupDepth;
// Payloads of the aligned blob type start at the next multiple of this body offset.
constexpr uint32_t kBlobAlignment = 16;

} // namespace BinarySoupFormat

// The file type byte of an entry.
enum class ACSFileTagType : uint8_t {
    Container = 0,    // nested entries
    IntArray = 1,     // signed 32-bit integers
    FloatArray = 2,   // 32-bit floats
    String = 3,       // UTF-8 with its zero byte (version 0: ANSI); empty text has no payload
    Blob = 4,         // raw bytes
    Null = 5,         // none, or the value bytes of a type code above 7
    AlignedBlob = 12, // raw bytes from the next 16-byte boundary; never written
    KUIDArray = 13,   // PackedKUID values, word 0 then word 1
};

// One row per mapping: tag type, file type, and the directions the row serves. A type code
// that no writing row names (above 7) is written as Null with its value bytes; a file type
// that no reading row names is read as type 0 without bytes.
struct BinaryTypeRow {
    int32_t tagType;
    ACSFileTagType fileType;
    bool writes;
    bool reads;
};

inline constexpr BinaryTypeRow kBinaryTypeRows[] = {
    {0, ACSFileTagType::Null, true, true},
    {1, ACSFileTagType::Container, true, true},
    {2, ACSFileTagType::Blob, true, true},
    {3, ACSFileTagType::FloatArray, true, true},
    {4, ACSFileTagType::String, true, true},
    {5, ACSFileTagType::String, true, false}, // the second string code of old writers
    {6, ACSFileTagType::IntArray, true, true},
    {7, ACSFileTagType::KUIDArray, true, true},
    {2, ACSFileTagType::AlignedBlob, false, true},
};

constexpr ACSFileTagType FileTagTypeFor(ACSTagType type) {
    for (const BinaryTypeRow& row : kBinaryTypeRows)
        if (row.writes && row.tagType == static_cast<int32_t>(type)) return row.fileType;
    return ACSFileTagType::Null;
}

constexpr ACSTagType TagTypeReadFrom(uint8_t fileType) {
    for (const BinaryTypeRow& row : kBinaryTypeRows)
        if (row.reads && static_cast<uint8_t>(row.fileType) == fileType)
            return static_cast<ACSTagType>(row.tagType);
    return ACSTagType::Null;
}
