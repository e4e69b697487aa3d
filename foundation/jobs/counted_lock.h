// CountedLock: an unnamed recursive mutex with a depth count, for code that asks how deep
// the lock is held. The depth changes only while the mutex is held: Lock adds 1 after
// locking, Unlock subtracts 1 before unlocking.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/recursive_lock.h"

class CountedLock {
  public:
    // Construct: a fresh unnamed mutex at depth 0.
    CountedLock() = default;
    CountedLock(const CountedLock&) = delete;
    CountedLock& operator=(const CountedLock&) = delete;

    // Waits without time-out.
    void Lock();
    // False, with the depth unchanged, when the calling thread does not hold the lock.
    bool Unlock();
    int32_t Depth() const { return depth_.load(); }

  private:
    Kiv::Mutex mutex_;
    std::atomic<int32_t> depth_{0};
};
