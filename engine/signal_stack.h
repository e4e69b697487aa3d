// The alternate signal stack of a thread: a fault handler that runs on it still works when
// the thread overflowed its own stack. The stack belongs to the thread (a signal stack is a
// per-thread setting) and is given up when the thread ends. Every thread the program starts
// takes one as its first step: Kiv::Thread does so for its entries, and code that starts a
// std::thread itself calls EnsureAlternateSignalStack at the top of the thread's body.
#pragma once

#include <cstddef>

namespace Kiv {

// Room for a fault handler that writes a backtrace.
constexpr size_t kAlternateSignalStackSize = size_t{1} << 17;

// Gives the calling thread its alternate signal stack, below a guard page; later calls on
// the same thread do nothing. False when the memory could not be had (the thread then
// keeps whatever signal stack it had).
bool EnsureAlternateSignalStack();

}  // namespace Kiv
