// The verifier's pictures of a function's evaluation stack, kept flat: one offset and one
// start per instruction, the kinds of all pictures in one vector.
#include "script_runtime/gs_stack_kinds.h"

#include <algorithm>

void GSStackKinds::Reserve(size_t pictures, size_t kinds) {
    offsets_.reserve(pictures);
    starts_.reserve(pictures + 1);
    kinds_.reserve(kinds);
}

bool GSStackKinds::At(int32_t offset, std::span<const GSSlotKind>& kinds) const {
    if (offset < 0) return false;
    const auto after = std::upper_bound(offsets_.begin(), offsets_.end(), static_cast<uint32_t>(offset));
    if (after == offsets_.begin()) return false;
    const auto index = static_cast<size_t>(after - offsets_.begin()) - 1;
    kinds = std::span<const GSSlotKind>(kinds_).subspan(starts_[index], starts_[index + 1] - starts_[index]);
    return true;
}
