// The exact point map.
#include "content3d/mesh/qx_map_kd_tree.h"

#include <cstring>

namespace Kiv {

namespace {

uint32_t Bits(float value) {
    if (value == 0.0f) return 0;  // 0 and -0 hash alike, as they compare equal
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

}  // namespace

size_t QXMapKDTree::Hash::operator()(const Vector3& v) const {
    uint64_t h = 0xcbf29ce484222325ull;
    for (uint32_t bits : {Bits(v.x), Bits(v.y), Bits(v.z)}) h = (h ^ bits) * 0x100000001b3ull;
    return static_cast<size_t>(h ^ (h >> 29));
}

int32_t QXMapKDTree::Find(const Vector3& key) const {
    const auto found = map_.find(key);
    return found == map_.end() ? -1 : found->second;
}

void QXMapKDTree::Insert(const Vector3& key, int32_t value) { map_.emplace(key, value); }

}  // namespace Kiv
