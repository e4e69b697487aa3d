// Conversions between UTF-8 and UTF-16 (char16_t) text, used by the code-page and console
// conversions. Nothing is ever rejected: an invalid UTF-8 sequence (see utf8_validity.h)
// gives U+FFFD for its lead byte and decoding goes on at the next byte; an unpaired
// surrogate gives U+FFFD in UTF-8.
#pragma once

#include <string>
#include <string_view>

std::u16string UTF8ToUTF16(std::string_view text);
std::string UTF16ToUTF8(std::u16string_view text);

// The code point at `position` (a surrogate pair joined), advancing past it; an unpaired
// surrogate is given as it stands.
char32_t NextCodePoint(std::u16string_view text, size_t& position);
