// UTF-8 validity checks for text that claims to be UTF-8 (soup text, interface text).
// A sequence is one to four bytes; overlong forms, encoded surrogates (ED A0-BF ..) and
// anything above U+10FFFF are invalid. Every check stays inside the view it is given.
#pragma once

#include <cstddef>
#include <string_view>

// Checks the sequence at the start of `sequence`; on success gives its byte count out.
bool IsValidUTF8Char(std::string_view sequence, size_t& length);

// True when the whole text is a run of valid sequences (the empty text is valid).
bool IsValidUTF8(std::string_view text);
