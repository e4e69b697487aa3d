// The category matcher: one walk over NUL-terminated bytes, no allocation. Leading '-' are
// counted rather than stripped one call at a time, so a long run of them costs no stack.
#include "foundation/text/category_pattern.h"

namespace {

bool EndsToken(char c) {
    return c == '\0' || c == ';' || c == '|';
}

// True when the element at element and the term at term hold the same characters and end
// together.
bool SameToken(const char* element, const char* term) {
    while (!EndsToken(*term) && *element == *term) {
        ++element;
        ++term;
    }
    return EndsToken(*term) && EndsToken(*element);
}

bool ListHolds(const char* list, const char* term) {
    if (list == nullptr || EndsToken(*term)) return false;
    const char* at = list;
    while (*at != '\0' && *at != '|') {
        if (*at == ';') {
            ++at;
            continue;
        }
        if (SameToken(at, term)) return true;
        at = CategoryTokenEnd(at);
    }
    return false;
}

// Tests the terms of the alternative at at in order. A failing term leaves at on itself.
bool AlternativeHolds(const char*& at, const char* list) {
    for (;;) {
        while (*at == ';')
            ++at;
        if (*at == '\0' || *at == '|') return true;
        if (!MatchCategoryToken(list, at)) return false;
        while (*at == '-')
            ++at;
        at = CategoryTokenEnd(at);
    }
}

}  // namespace

const char* CategoryTokenEnd(const char* text) {
    while (!EndsToken(*text))
        ++text;
    return text;
}

bool MatchCategoryToken(const char* list, const char* term) {
    bool inverted = false;
    while (*term == '-') {
        inverted = !inverted;
        ++term;
    }
    return ListHolds(list, term) != inverted;
}

bool MatchCategoryPattern(const char* pattern, const char* list) {
    if (pattern == nullptr || *pattern == '\0') return true;
    for (const char* at = pattern;; ++at) {
        if (AlternativeHolds(at, list)) return true;
        while (*at != '\0' && *at != '|')
            ++at;
        // A '|' at the very end opens no alternative.
        if (*at == '\0' || at[1] == '\0') return false;
    }
}
