// The resource lock: one shared/exclusive lock keyed by thread id that guards the engine's
// resource caches and the interface text. It prefers writers (a waiting exclusive request
// stops new shared holders, though holders may still re-enter) and is re-entrant per thread
// for shared use and for an exclusive holder; a shared holder can never turn its holding
// exclusive, and asking for that waits for ever (asserted in debug builds). Waiting retries
// on a schedule of growing sleeps; the main thread meanwhile keeps running main-thread jobs
// and, every 15 s, shows the blocking screen and frees unused resources through hooks that
// a higher layer sets at start-up. A release by a thread that holds nothing is ignored.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/recursive_lock.h"
#include "foundation/containers/block_array.h"

// What the main thread's wait reaches in layers above this one; a null hook is skipped.
struct ResourceLockWaitHooks {
    void (*showBlockingScreen)() = nullptr;
    void (*updateBlockingScreen)() = nullptr;
    void (*hideBlockingScreen)() = nullptr;
    void (*dumpUnusedResources)() = nullptr; // the engine's purge of unreferenced resources
};

class ResourceLock {
  public:
    ResourceLock() = default;
    ResourceLock(const ResourceLock&) = delete;
    ResourceLock& operator=(const ResourceLock&) = delete;

    // The process-wide lock.
    static ResourceLock& Instance();
    static void SetWaitHooks(const ResourceLockWaitHooks& hooks);

    // Waits until granted; always true.
    bool Acquire(uint32_t thread, bool exclusive);
    bool AcquireCurrentThread(bool exclusive);
    // One attempt.
    bool TryAcquire(uint32_t thread, bool exclusive);
    // Drops one holding of thread; true when the lock is then free. A thread that holds
    // nothing changes nothing (false, logged the first time).
    bool Release(uint32_t thread);
    bool ReleaseCurrentThread();

    int32_t Holdings() const;
    bool IsExclusive() const;
    int32_t ExclusiveWaiters() const;

  private:
    bool IsHolder(uint32_t thread) const;
    bool HoldsAlone(uint32_t thread) const;
    void AdjustExclusiveWaiters(int32_t delta);
    void WaitForGrant(uint32_t thread, bool exclusive);

    mutable Kiv::CriticalSection lock_;
    int32_t holdings_ = 0;
    bool exclusive_ = false;
    int32_t exclusiveWaiters_ = 0;
    BlockArray<uint32_t, 4> holders_; // one entry per holding
    std::atomic<bool> loggedStrayRelease_{false};
};
