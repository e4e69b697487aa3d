// The key names of filter conditions: one row per (node tag, type number). The type number
// is what travels; the key name serves the value text of groups and equality. Every user
// reads this one table. The group has no type: its single row is type 0.
#pragma once

#include <cstdint>
#include <span>

#include "engine/pstring.h"

struct KAVFilterKeyNameRow {
    int32_t tag;      // the node kind's four-character tag
    int32_t type;     // the type number carried on the wire
    const char* name; // the key name
};

std::span<const KAVFilterKeyNameRow> KAVFilterKeyNames();

// The interned key name of (tag, type), "unknown" for a pair of no row.
Kiv::PString KAVFilterKeyName(int32_t tag, int32_t type);
