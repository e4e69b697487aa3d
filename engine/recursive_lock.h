// The engine's recursive locks. Kiv::CriticalSection guards data inside the process;
// Kiv::Mutex is the same lock where the design uses a mutex object (unnamed here: nothing
// in the program shares one between processes). The owning thread may lock again and must
// unlock as often; an unlock from a thread that does not own the lock is refused (false)
// instead of corrupting it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "engine/sync_object.h"

namespace Kiv {

class RecursiveLock : public SyncObject {
public:
    bool Lock(int64_t timeoutMs = kInfinite) override;
    bool Unlock() override;
    bool TryLock() { return Lock(0); }
    bool IsLockedByCurrentThread() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable released_;
    std::thread::id owner_;
    uint32_t depth_ = 0;
};

class CriticalSection : public RecursiveLock {};

class Mutex : public RecursiveLock {};

}  // namespace Kiv
