// QXMapKDTree: the point map that welds a collision tree's corners. Keys are positions
// compared exactly (0 and -0 are one key; a position with a NaN never matches, so it is
// always new); values are vertex numbers. Kept as a hash table over the coordinates,
// which answers the same lookups as a median-split tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

#include "engine/matrix4.h"

namespace Kiv {

class QXMapKDTree {
public:
    QXMapKDTree() { map_.reserve(4000); }
    // The value of key, or -1.
    int32_t Find(const Vector3& key) const;
    // Adds key with value (a key already there keeps its first value).
    void Insert(const Vector3& key, int32_t value);
    size_t Size() const { return map_.size(); }

private:
    struct Hash {
        size_t operator()(const Vector3& v) const;
    };
    std::unordered_map<Vector3, int32_t, Hash> map_;
};

}  // namespace Kiv
