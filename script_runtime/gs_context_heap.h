// The named heaps of the script runtime: "#GSContext" for script objects (native objects,
// instances, arrays, strings) and "#GSMachine" for loaded libraries. A block of
// GSContextHeap::Alloc carries its own size in front, so Free needs only the address.
// Storage of arrays and strings larger than GSMaxObjectStorage() counts as an allocation that
// failed: the design's 32-bit process could never have had it, and a script must not be
// able to make this one reserve and zero gigabytes.
#pragma once

#include <cstddef>

#include "engine/alloc.h"

inline constexpr size_t kGSMaxObjectStorage = size_t{1} << 30;

// The storage limit in force (kGSMaxObjectStorage unless lowered, which tests do to reach
// the failure paths of growth).
size_t GSMaxObjectStorage();
void SetGSMaxObjectStorage(size_t bytes);

Kiv::PackedHeap& GSContextNamedHeap();
Kiv::PackedHeap& GSMachineNamedHeap();

namespace GSContextHeap {
// Zeroed bytes; throws std::bad_alloc like every engine allocation.
void* Alloc(size_t bytes);
void Free(void* block);
}  // namespace GSContextHeap
