// The constant tables of asset kinds, category codes and regions, built before main and never
// changed, so readers need no lock. Row order is part of the data: the lookups of
// category_tokens.h take the first row that fits. KindCategoryTable and LegacyKindCodeTable
// are read; CategoryDisplayTable and KindCodeTable are kept for completeness and read by
// nothing. Of the region table only the code packing and the alias rows are held (README).
// Every table but the region table ends at a row whose fields are empty.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/pstring.h"
#include "engine/string.h"

namespace DAROdi {

// A kind, an optional qualifier (a category pattern; null for none) and its category code.
struct KindCategoryRow {
    Kiv::PString kind;
    Kiv::PString qualifier;
    Kiv::String category;
};

// An old class code of two or three capitals, for a kind ("" fits any kind).
struct LegacyKindCodeRow {
    const char* kind;
    const char* code;
    Kiv::String category;
};

struct CategoryDisplayRow {
    const char* category;
    Kiv::PString displayName;
    int32_t flag;
};

struct KindCodeRow {
    const char* category;
    Kiv::PString kindWord;
    int32_t flag;
};

struct RegionRow {
    uint32_t code;
    Kiv::String name;
};

extern const std::vector<RegionRow> RegionTable;
extern const std::vector<CategoryDisplayRow> CategoryDisplayTable;
extern const std::vector<KindCategoryRow> KindCategoryTable;
extern const std::vector<LegacyKindCodeRow> LegacyKindCodeTable;
extern const std::vector<KindCodeRow> KindCodeTable;

// A two-character region code packed as the region table holds it: the first character in
// bits 8 to 15, the second in bits 0 to 7, a blank in each of the two high bytes.
constexpr uint32_t PackRegionCode(char first, char second) {
    return 0x20200000u | static_cast<uint32_t>(static_cast<unsigned char>(first)) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(second));
}

}  // namespace DAROdi
