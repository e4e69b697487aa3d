// Text helpers; deliberately ASCII-only and locale-free.
#include "foundation/text/text_helpers.h"

#include "engine/ascii.h"

#include <string>

namespace {

bool IsNameCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           c == '_' || c == ' ';
}

}  // namespace

bool MatchesPrefix(std::string_view pattern, std::string_view text) {
    if (text.size() < pattern.size()) return false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '?') continue;
        if (Kiv::Ascii::ToLower(pattern[i]) != Kiv::Ascii::ToLower(text[i])) return false;
    }
    return true;
}

void LowerCaseAscii(char* buffer, size_t length) {
    for (size_t i = 0; i < length; ++i) buffer[i] = Kiv::Ascii::ToLower(buffer[i]);
}

void LowerCasePString(Kiv::PString& text) {
    std::string lower(text.View());
    LowerCaseAscii(lower.data(), lower.size());
    text = Kiv::PString(lower);
}

Kiv::String SanitiseName(std::string_view text) {
    std::string name(text);
    for (char& c : name) {
        if (!IsNameCharacter(c)) c = '_';
    }
    const size_t last = name.find_last_not_of(' ');
    name.erase(last == std::string::npos ? 0 : last + 1);
    return Kiv::String(std::move(name));
}

bool IsPowerOfTwo(uint32_t value) { return (value & (value - 1)) == 0; }
