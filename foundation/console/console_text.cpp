// One table of the console bytes that are not the character of the same value, read in
// both directions.
#include "foundation/console/console_text.h"

namespace {

struct ConsoleCharacter {
    char16_t wide;
    unsigned char narrow;
};

// Characters outside printable ASCII that keep a console byte.
constexpr ConsoleCharacter kConsoleCharacters[] = {
    {0x00AB, 0xAB},  // left guillemet
    {0x00B0, 0xB0},  // degree sign
    {0x00BB, 0xBB},  // right guillemet
    {0x2013, 0x96},  // en dash
    {0x2018, 0x91},  // left single quote
    {0x2019, 0x92},  // right single quote
    {0x201C, 0x93},  // left double quote
    {0x201D, 0x94},  // right double quote
    {0x2026, 0x85},  // ellipsis
};

char NarrowOf(char16_t c) {
    if ((c >= 0x20 && c <= 0x7F) || c == u'\t' || c == u'\n' || c == u'\r') {
        return static_cast<char>(c);
    }
    for (const ConsoleCharacter& entry : kConsoleCharacters) {
        if (entry.wide == c) return static_cast<char>(entry.narrow);
    }
    return '?';
}

char16_t WideOf(unsigned char byte) {
    for (const ConsoleCharacter& entry : kConsoleCharacters) {
        if (entry.narrow == byte) return entry.wide;
    }
    return byte;
}

}  // namespace

std::string WideToNarrowText(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out.push_back(NarrowOf(c));
    return out;
}

std::u16string NarrowToWideText(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out.push_back(WideOf(static_cast<unsigned char>(c)));
    return out;
}
