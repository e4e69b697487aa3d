// Raw storage for the Utils containers and pools: the engine allocator with its failure
// turned into null.
#include "foundation/utils/raw_memory.h"

#include <new>

#include "engine/alloc.h"

namespace Utils {

void* AllocRaw(size_t size) {
    try {
        return Kiv::Alloc::Raw(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void FreeRaw(void* memory) { Kiv::Alloc::FreeRaw(memory); }

void* ResizeRaw(void* memory, size_t size) {
    try {
        return Kiv::Alloc::ResizeRaw(memory, size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace Utils
