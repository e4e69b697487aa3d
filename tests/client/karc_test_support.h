// 'karc' archives written byte by byte for the tests, apart from the code under test: magic
// "crak", version, the build float (version 1 only), the end offset, the tag, entries {KUID,
// next-entry offset, soup "ACS$"} and the null KUID. nextShift damages an entry's offset.
#pragma once

#include <cstring>
#include <vector>

#include "foundation/kuid/kuid.h"
#include "foundation/soup/binary_file.h"
#include "foundation/streams/buffer_stream.h"

namespace karc_test {

using Bytes = std::vector<uint8_t>;

inline Bytes Le32(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}
inline void Append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}
// The KUID's stream form: content id, then version << 25 | user id.
inline Bytes KuidBytes(const KUID& kuid) {
    Bytes bytes = Le32(static_cast<uint32_t>(kuid.contentId));
    Append(bytes, Le32(static_cast<uint32_t>(kuid.version) << 25 |
                       (static_cast<uint32_t>(kuid.userId) & 0x1FFFFFFu)));
    return bytes;
}
inline Bytes SoupBytes(const ACSChunkRef& soup) {
    BufferStream stream;
    TDBBinaryFile::WriteSoup(stream.Stream(), soup);
    const uint8_t* data = stream.Buffer().GetData();
    return Bytes(data, data + stream.Stream().Tell());
}
// A config soup naming the KUID.
inline ACSChunkRef ConfigOf(const KUID& kuid) {
    ACSChunkRef soup;
    soup.EnsureContainer();
    soup.SetNamedTagKUID("kuid", kuid);
    return soup;
}

struct Entry {
    KUID kuid;
    ACSChunkRef soup;
    int32_t nextShift = 0; // added to the true next-entry offset
};

inline void Patch(Bytes& bytes, size_t at, uint32_t value) {
    const Bytes le = Le32(value);
    std::copy(le.begin(), le.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

inline Bytes Archive(int32_t version, float build, int32_t tag, const std::vector<Entry>& entries,
                     bool terminator = true) {
    Bytes bytes = {0x63, 0x72, 0x61, 0x6B};
    Append(bytes, Le32(static_cast<uint32_t>(version)));
    if (version == 1) {
        uint32_t bits = 0;
        std::memcpy(&bits, &build, sizeof bits);
        Append(bytes, Le32(bits));
    }
    const size_t endAt = bytes.size();
    Append(bytes, Le32(0));
    Append(bytes, Le32(static_cast<uint32_t>(tag)));
    for (const Entry& entry : entries) {
        Append(bytes, KuidBytes(entry.kuid));
        const size_t nextAt = bytes.size();
        Append(bytes, Le32(0));
        Append(bytes, SoupBytes(entry.soup));
        Patch(bytes, nextAt,
              static_cast<uint32_t>(static_cast<int32_t>(bytes.size()) + entry.nextShift));
    }
    if (terminator) Append(bytes, Bytes(8, 0xFF)); // the null KUID
    Patch(bytes, endAt, static_cast<uint32_t>(bytes.size()));
    return bytes;
}

} // namespace karc_test
