// UTF-8 sequences by lead byte, and the whitespace set the glyph code advances over.
#include "content3d/fonts/utf8_char.h"

namespace {

// The number of trailing bytes a lead byte announces.
size_t TrailingBytes(uint8_t lead) {
    if (lead < 0xC0) return 0;
    if (lead < 0xE0) return 1;
    if (lead < 0xF0) return 2;
    if (lead < 0xF8) return 3;
    if (lead < 0xFC) return 4;
    return 5;
}

// What the reference converter subtracts for each sequence length.
constexpr uint32_t kOffsets[6] = {0x00000000u, 0x00003080u, 0x000E2080u,
                                  0x03C82080u, 0xFA082080u, 0x82082080u};

}  // namespace

uint32_t DecodeUtf8Char(const uint8_t* bytes, size_t bytesLeft, size_t* length) {
    if (length) *length = 0;
    if (!bytes || bytesLeft == 0) return 0;
    const size_t trailing = TrailingBytes(bytes[0]);
    if (trailing + 1 > bytesLeft) return 0;
    uint32_t value = 0;
    if (trailing <= 3) {
        for (size_t i = 0; i <= trailing; ++i) value = value * 64u + bytes[i];
    }
    if (length) *length = trailing + 1;
    return value - kOffsets[trailing];
}

bool IsFontWhitespace(uint32_t c) {
    if (c >= 0x0009 && c <= 0x000D) return true;
    switch (c) {
        case 0x0020: case 0x0085: case 0x00A0: case 0x1680: case 0x2028: case 0x2029:
        case 0x202F: case 0x205F: case 0x3000:
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;
    }
}
