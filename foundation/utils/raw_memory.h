// Raw storage for the Utils containers and pools. They report a failed allocation as a
// value (null, false or a sticky flag) instead of letting the engine allocator's
// std::bad_alloc escape, because their callers (the script compiler and runtime) check
// results and carry on.
#pragma once

#include <cstddef>

namespace Utils {

// Uninitialised bytes from the engine allocator, or null when they cannot be had.
void* AllocRaw(size_t size);
// Gives back what AllocRaw handed out; null is allowed.
void FreeRaw(void* memory);
// An AllocRaw block at a new size (it may move; its bytes are kept up to the smaller size),
// or null with the old block untouched when the size cannot be had.
void* ResizeRaw(void* memory, size_t size);

}  // namespace Utils
