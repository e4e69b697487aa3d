// The character-set name table: name, set number.
#include "content3d/fonts/char_sets.h"

#include <strings.h>

namespace {

struct CharSetRow {
    const char* name;
    int32_t charSet;
};

constexpr CharSetRow kCharSets[] = {
    {"ansi", 0},        {"baltic", 186},   {"big5", 136},     {"default", 1},
    {"easteurope", 238}, {"russian", 204}, {"thai", 222},     {"gb2312", 134},
    {"greek", 161},     {"hangul", 129},   {"mac", 77},       {"oem", 255},
    {"arabic", 178},    {"shiftjis", 128}, {"symbol", 2},     {"turkish", 162},
    {"vietnamese", 163}, {"johab", 130},   {"hebrew", 177},
};

}  // namespace

int32_t CharSetFromName(const char* name) {
    if (!name) return kDefaultCharSet;
    for (const CharSetRow& row : kCharSets)
        if (strcasecmp(row.name, name) == 0) return row.charSet;
    return kDefaultCharSet;
}
