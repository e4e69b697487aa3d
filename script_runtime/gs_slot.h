// GSSlot: one script slot. Stack, frame, member and array slots hold an int, a float's bits
// or a pointer, so a slot is one machine word here and every count, offset and frame
// computation of the runtime is made in slots, never in bytes.
#pragma once

#include <cstdint>

// The whole word comes first: an empty slot (GSSlot{}) is zero-initialised through the
// first member, and with a 32-bit member first a compiler may clear only half of the word,
// leaving a reference's upper half behind in a slot meant to be null.
union GSSlot {
    uintptr_t word;
    int32_t i;
    float f;
    void* p;
};

static_assert(sizeof(GSSlot) == sizeof(void*), "a script slot is one machine word");

inline GSSlot GSIntSlot(int32_t value) {
    GSSlot slot{};
    slot.i = value;
    return slot;
}

inline GSSlot GSPointerSlot(void* value) {
    GSSlot slot{};
    slot.p = value;
    return slot;
}
