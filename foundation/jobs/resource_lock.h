// The resource lock: one shared/exclusive lock keyed by thread id that guards the engine's
// resource caches and the interface text. It prefers writers (a waiting exclusive request
// stops new shared holders, though holders may still re-enter) and is re-entrant per thread
// for shared use and for an exclusive holder; a shared holder can never turn its holding
// exclusive, so that request is refused at once with a logged error (waiting for it would
// stop every new reader for ever behind a writer that never comes). Waiting retries
// on a schedule of growing sleeps; the main thread meanwhile keeps running main-thread jobs
// and, every 15 s, shows the blocking screen and frees unused resources through hooks that
// a higher layer sets at start-up. A release by a thread that holds nothing is ignored.
// Beside the lock, a record of which thread waits for which lock lets a caller ask whether
// a wait would close a cycle of threads waiting on each other.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

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

    // Waits until granted and returns true. False at once, logged, when thread holds the
    // lock shared and asks for it exclusively.
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
    // The threads that hold the lock now, each once.
    std::vector<uint32_t> Holders() const;

    // The wait record: thread waits for lock (replacing what it waited for before), or for
    // nothing. A lock must not be destroyed while a thread is recorded waiting for it.
    static void AddWaiter(uint32_t thread, const ResourceLock* lock);
    static void RemoveWaiter(uint32_t thread);
    // True when waiting for lock would never end for thread: a holder of lock is thread
    // itself, or waits (through the record, holder by holder) for a lock that thread holds,
    // or for a lock held by threads that already wait on each other. A free lock, and holders
    // that wait for nothing, end the search with false.
    static bool CheckWaitCycle(uint32_t thread, const ResourceLock* lock);

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
