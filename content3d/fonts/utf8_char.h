// Text decoding for the font code: one UTF-8 sequence at a time, in the manner of the
// Unicode Consortium's reference converter. The lead byte alone gives the length (up to six
// bytes), continuation bytes are not checked, and 4- and 5-byte leads give values above
// U+FFFF that no font covers; the caller's byte count bounds every read.
#pragma once

#include <cstddef>
#include <cstdint>

// The code point of the sequence at bytes, and its length in *length when length is not
// null. A sequence longer than bytesLeft is not read: the result is 0 and the length 0,
// which ends a walk over the text.
uint32_t DecodeUtf8Char(const uint8_t* bytes, size_t bytesLeft, size_t* length = nullptr);

// Unicode White_Space up to U+FFFF (tab to carriage return, space, U+0085, U+00A0, U+1680,
// U+2000 to U+200A, U+2028, U+2029, U+202F, U+205F, U+3000).
bool IsFontWhitespace(uint32_t codePoint);
