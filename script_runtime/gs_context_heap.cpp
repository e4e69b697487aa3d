// The "#GSContext" and "#GSMachine" heaps and the sized blocks of GSContextHeap.
#include "script_runtime/gs_context_heap.h"

#include <cstring>

namespace {

constexpr size_t kBlockHeader = alignof(std::max_align_t);

size_t g_maxObjectStorage = kGSMaxObjectStorage;

}  // namespace

size_t GSMaxObjectStorage() { return g_maxObjectStorage; }

void SetGSMaxObjectStorage(size_t bytes) { g_maxObjectStorage = bytes; }

Kiv::PackedHeap& GSContextNamedHeap() {
    static Kiv::PackedHeap heap("#GSContext");
    return heap;
}

Kiv::PackedHeap& GSMachineNamedHeap() {
    static Kiv::PackedHeap heap("#GSMachine");
    return heap;
}

namespace GSContextHeap {

void* Alloc(size_t bytes) {
    auto* block = static_cast<unsigned char*>(GSContextNamedHeap().Allocate(kBlockHeader + bytes));
    std::memcpy(block, &bytes, sizeof bytes);
    std::memset(block + kBlockHeader, 0, bytes);
    return block + kBlockHeader;
}

void Free(void* memory) {
    if (!memory) return;
    auto* block = static_cast<unsigned char*>(memory) - kBlockHeader;
    size_t bytes = 0;
    std::memcpy(&bytes, block, sizeof bytes);
    GSContextNamedHeap().Free(block, kBlockHeader + bytes);
}

}  // namespace GSContextHeap
