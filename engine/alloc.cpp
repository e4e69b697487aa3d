// Engine allocator and named heaps.
#include "engine/alloc.h"

#include <cstdlib>

Kiv::PackedHeap g_kivSTLAllocHeap("STL");

namespace Kiv {

void* PackedHeap::Allocate(size_t size) {
    void* memory = ::operator new(size);
    bytes_.fetch_add(static_cast<int64_t>(size), std::memory_order_relaxed);
    return memory;
}

void PackedHeap::Free(void* memory, size_t size) {
    if (!memory) return;
    bytes_.fetch_sub(static_cast<int64_t>(size), std::memory_order_relaxed);
    ::operator delete(memory);
}

namespace Alloc {

void* Raw(size_t size) {
    void* memory = std::malloc(size ? size : 1);
    if (!memory) throw std::bad_alloc();
    return memory;
}

void FreeRaw(void* memory) { std::free(memory); }

void* ResizeRaw(void* memory, size_t size) {
    void* resized = std::realloc(memory, size ? size : 1);
    if (!resized) throw std::bad_alloc();
    return resized;
}

}  // namespace Alloc
}  // namespace Kiv
