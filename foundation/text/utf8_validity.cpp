// The one-sequence check walks the lead byte's trailing bytes in order and stops at the
// first bad one, so a NUL or the end of the view ends a truncated sequence safely.
#include "foundation/text/utf8_validity.h"

namespace {

// Trailing bytes announced by a lead byte; more than 3 is never valid.
size_t TrailingBytes(unsigned char lead) {
    if (lead < 0xC0) return 0;
    if (lead < 0xE0) return 1;
    if (lead < 0xF0) return 2;
    if (lead < 0xF8) return 3;
    if (lead < 0xFC) return 4;
    return 5;
}

// The range the second byte must fall in, which rules out overlong forms, surrogates and
// code points above U+10FFFF.
bool SecondByteFits(unsigned char lead, unsigned char second) {
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    return second >= low && second <= high;
}

bool IsContinuation(unsigned char c) { return c >= 0x80 && c <= 0xBF; }

}  // namespace

bool IsValidUTF8Char(std::string_view sequence, size_t& length) {
    if (sequence.empty()) return false;
    const auto lead = static_cast<unsigned char>(sequence[0]);
    const size_t trailing = TrailingBytes(lead);
    if (trailing > 3 || sequence.size() < trailing + 1) return false;
    if ((lead >= 0x80 && lead <= 0xC1) || lead > 0xF4) return false;
    if (trailing >= 1 && !SecondByteFits(lead, static_cast<unsigned char>(sequence[1]))) {
        return false;
    }
    for (size_t i = 2; i <= trailing; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(sequence[i]))) return false;
    }
    length = trailing + 1;
    return true;
}

bool IsValidUTF8(std::string_view text) {
    while (!text.empty()) {
        size_t length = 0;
        if (!IsValidUTF8Char(text, length)) return false;
        text.remove_prefix(length);
    }
    return true;
}
