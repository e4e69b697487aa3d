// The character mapping between UTF-16 text and the narrow console text. Only printable
// ASCII, tab, line feed, carriage return and a few typographic characters (guillemets,
// degree sign, en dash, curly quotes, ellipsis) have a console byte; anything else prints
// as "?". The narrow-to-wide direction reads the same table backwards, so text that went
// out narrow reaches the parent's pipe with its typographic characters intact.
#pragma once

#include <string>
#include <string_view>

std::string WideToNarrowText(std::u16string_view text);
std::u16string NarrowToWideText(std::string_view text);
