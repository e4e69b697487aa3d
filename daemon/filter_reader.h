// The daemon's reader of the filter tree a query (request 2) carries, and its evaluation
// against an asset record. Reading is strict: a short field, an unknown tag, a child count
// beyond the bytes left or nesting deeper than 512 groups refuses the whole filter, so a
// hostile payload is answered with an empty list instead of a guess.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "daemon/asset_table.h"
#include "daemon/wire_bytes.h"

enum FilterTag : int32_t {
    kFilterGroup = 0x67727570,     // 'grup'
    kFilterString = 0x7374726E,    // 'strn'
    kFilterBool = 0x626F6F6C,      // 'bool'
    kFilterInt = 0x696E7465,       // 'inte'
    kFilterTimestamp = 0x74696D65, // 'time'
    kFilterAssetId = 0x61737374,   // 'asst'
};

constexpr int kFilterMaxDepth = 512;

struct FilterNode {
    int32_t tag = 0;
    int32_t type = 0;
    bool andMode = true; // groups: mode 1 needs every child, mode 0 any child
    bool negate = false;
    std::string value;   // string nodes
    bool quoted = false; // string nodes: the asset name must match whole
    std::vector<FilterNode> children;
};

// Reads one node (tag and body) from the start of bytes; false with a reason when refused.
// Bytes after the node are ignored.
bool ReadFilter(const WireBytes& bytes, FilterNode& root, std::string& error);

// Whether the asset matches. Nodes the daemon does not evaluate (numbers, times, asset ids,
// string or bool types it does not judge) are left out of their group, negated or not; a
// filter of nothing else matches every asset. Their descriptions ("inte type=1") are added
// to unevaluated once each.
bool FilterMatches(const FilterNode& node, const AssetRecord& asset,
                   std::vector<std::string>& unevaluated);
