// UTF-8 <-> UTF-16. Sequences are checked with IsValidUTF8Char before they are decoded, so
// the decoder only ever sees well-formed input.
#include "foundation/text/utf16_conversion.h"

#include "foundation/text/utf8_validity.h"

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

char32_t DecodeValidSequence(std::string_view sequence, size_t length) {
    static constexpr unsigned char kLeadMask[] = {0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = static_cast<unsigned char>(sequence[0]) & kLeadMask[length - 1];
    for (size_t i = 1; i < length; ++i) {
        c = (c << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3Fu);
    }
    return c;
}

void AppendUTF16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
        return;
    }
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

void AppendUTF8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

}  // namespace

std::u16string UTF8ToUTF16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    while (!text.empty()) {
        size_t length = 0;
        if (IsValidUTF8Char(text, length)) {
            AppendUTF16(out, DecodeValidSequence(text, length));
        } else {
            out.push_back(kReplacement);
            length = 1;
        }
        text.remove_prefix(length);
    }
    return out;
}

char32_t NextCodePoint(std::u16string_view text, size_t& position) {
    const char32_t first = text[position++];
    if (first < 0xD800 || first > 0xDBFF || position >= text.size()) return first;
    const char32_t second = text[position];
    if (second < 0xDC00 || second > 0xDFFF) return first;
    ++position;
    return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
}

std::string UTF16ToUTF8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t position = 0;
    while (position < text.size()) {
        const char32_t c = NextCodePoint(text, position);
        AppendUTF8(out, IsSurrogate(c) ? kReplacement : c);
    }
    return out;
}
