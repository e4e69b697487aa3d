// The Unicode ranges a font can cover, one row per block, keyed by the Unicode-subset bit
// that a font's OS/2 table (ulUnicodeRange1..4) sets for it. Bits 0 to 83 in ascending
// order; the bits reserved in that assignment (8, 12, 14, 27, 58) have no row, bit 51 has
// two rows and bit 59 five, so the table holds 84 rows. TTFont builds its glyph ranges
// from the rows whose bit the font sets; the FreeType back end sets bits from the rows
// when a face has no OS/2 table.
#pragma once

#include <cstdint>
#include <span>

struct UnicodeRangeRow {
    int32_t subsetBit;
    uint32_t first;
    uint32_t last;
    const char* name;
};

// The 84 rows, in ascending bit order (the closing row of bit -1 is not part of the span).
std::span<const UnicodeRangeRow> UnicodeRangeRows();
