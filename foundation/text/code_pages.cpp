// Windows-1252 <-> Unicode by one table of the 32 bytes 0x80-0x9F; every other byte is the
// character of the same value. In-place conversion decodes to UTF-16 and encodes again.
#include "foundation/text/code_pages.h"

#include <climits>
#include <cstring>
#include <optional>

#include "foundation/text/utf16_conversion.h"

namespace {

// Characters of the bytes 0x80-0x9F, in byte order.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

bool IsAnsi(int codePage) { return codePage == kCodePageAnsi || codePage == kCodePageWindows1252; }

std::optional<std::u16string> Decode(std::string_view text, int codePage) {
    if (codePage == kCodePageUTF8) return UTF8ToUTF16(text);
    if (!IsAnsi(codePage)) return std::nullopt;
    return ConvertAnsiToWide(text);
}

std::string EncodeAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t position = 0;
    while (position < text.size()) {
        const int byte = UnicodeToWindows1252(NextCodePoint(text, position));
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return out;
}

std::optional<std::string> Encode(std::u16string_view text, int codePage) {
    if (codePage == kCodePageUTF8) return UTF16ToUTF8(text);
    if (!IsAnsi(codePage)) return std::nullopt;
    return EncodeAnsi(text);
}

void ReplaceHighBytes(char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) text[i] = '?';
    }
}

}  // namespace

char16_t Windows1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

int UnicodeToWindows1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == c) return 0x80 + i;
    }
    return -1;
}

int ConvertCodePageInPlace(char* buffer, size_t bufferSize, int fromCodePage, int toCodePage) {
    if (buffer == nullptr) return -1;
    const void* end = std::memchr(buffer, '\0', bufferSize);
    const size_t length = end ? static_cast<const char*>(end) - buffer : bufferSize;
    const std::optional<std::u16string> wide = Decode({buffer, length}, fromCodePage);
    std::optional<std::string> converted;
    if (wide) converted = Encode(*wide, toCodePage);
    if (!converted || converted->size() >= INT_MAX) {
        ReplaceHighBytes(buffer, length);
        return -1;
    }
    const size_t needed = converted->size() + 1;
    if (needed > bufferSize) return static_cast<int>(needed);
    std::memcpy(buffer, converted->c_str(), needed);
    return 0;
}

int ConvertAnsiToUTF8(char* buffer, size_t bufferSize) {
    return ConvertCodePageInPlace(buffer, bufferSize, kCodePageAnsi, kCodePageUTF8);
}

int ConvertUTF8ToAnsi(char* buffer, size_t bufferSize) {
    return ConvertCodePageInPlace(buffer, bufferSize, kCodePageUTF8, kCodePageAnsi);
}

std::u16string ConvertAnsiToWide(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out.push_back(Windows1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}
