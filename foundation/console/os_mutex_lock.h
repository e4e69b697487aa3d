// OS::MutexLock: a scoped lock on a mutex object for code that must not go on without it (the
// log-file writer). A wait that fails throws OSException; so does an explicit Unlock that
// fails, with "Failed to release the mutex" when the calling thread does not own the mutex.
// The destructor releases a lock still held; it cannot throw, so a failure there is logged.
#pragma once

#include <cstdint>

#include "engine/recursive_lock.h"

namespace OS {

class MutexLock {
  public:
    // Waits up to timeoutMs (negative: no end); throws OSException when the wait fails.
    explicit MutexLock(Kiv::Mutex& mutex, int64_t timeoutMs = Kiv::SyncObject::kInfinite);
    ~MutexLock();
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

    // Releases now; throws OSException when the release fails. Nothing is held afterwards.
    void Unlock();

  private:
    Kiv::Mutex& mutex_;
    bool held_ = true;
};

}  // namespace OS
