// Small text operations shared across the tool: prefix matching with "?" wildcards (used to
// recognise "<KUID:", "<KUID2:" and "<NULL>" in soup text), ASCII lower-casing that leaves
// every other byte alone, name sanitising and the power-of-two test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/pstring.h"
#include "engine/string.h"

// True when text begins with pattern; "?" in the pattern matches any one character and
// ASCII letters match regardless of case. A text shorter than the pattern does not match.
bool MatchesPrefix(std::string_view pattern, std::string_view text);

// A-Z become a-z; every other byte is left unchanged.
void LowerCaseAscii(char* buffer, size_t length);
void LowerCasePString(Kiv::PString& text);

// Every byte other than 0-9, A-Z, a-z, "_" and space becomes "_"; trailing spaces go.
Kiv::String SanitiseName(std::string_view text);

// True for the powers of two and for 0.
bool IsPowerOfTwo(uint32_t value);
