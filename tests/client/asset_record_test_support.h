// The reply of request 21 (an asset's record) written field by field in wire order, for
// tests that answer the asset-information request through the stand-in daemon.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/kuid/kuid.h"
#include "kav_requests_test_support.h"

// The fields of a request-21 reply that the commands read; the rest stay at zero.
struct AssetRecordFields {
    KUID kuid;
    std::string name;
    std::string category;
    uint8_t first = 0;   // first flag byte
    uint8_t second = 0;  // second flag byte
    int32_t authorId = 0;
    bool valid = true;
};

inline Bytes FlagBools(uint8_t bits, int count) {
    Bytes out;
    for (int bit = 0; bit < count; ++bit) out.push_back((bits >> bit) & 1);
    return out;
}

// KUID, name, region, keywords, 8 + 8 + 2 bools, author, creator, era, second int, second
// name, category text, 3 bools, rating, build, two times, parent KUID, valid byte.
inline Bytes AssetRecord(const AssetRecordFields& f) {
    return Concat({KuidBytes(f.kuid.userId, f.kuid.contentId, f.kuid.version), Str(f.name), Str(""),
                   Str(""), FlagBools(f.first, 8), FlagBools(f.second, 8), FlagBools(0, 2),
                   Le32(static_cast<uint32_t>(f.authorId)), PStr(""), Str(""), Le32(0), PStr(""),
                   Str(f.category), FlagBools(0, 3), Le32(255), Le32(0), Le64(0), Le64(0),
                   KuidBytes(-1, -1, 127), Byte(f.valid ? 1 : 0)});
}
