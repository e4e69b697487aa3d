// Kiv::SyncObject, the lockable base of the engine's locks, and Kiv::SingleLock, a scoped
// lock on one. Time-outs are in milliseconds; a negative time-out waits without end.
#pragma once

#include <cstdint>

namespace Kiv {

class SyncObject {
public:
    static constexpr int64_t kInfinite = -1;

    virtual ~SyncObject() = default;
    // True once locked; false when the time-out passed first.
    virtual bool Lock(int64_t timeoutMs = kInfinite) = 0;
    // False when the calling thread does not hold the lock.
    virtual bool Unlock() = 0;
};

class SingleLock {
public:
    explicit SingleLock(SyncObject& object, bool lockNow = true) : object_(object) {
        if (lockNow) Lock();
    }
    ~SingleLock() { Unlock(); }
    SingleLock(const SingleLock&) = delete;
    SingleLock& operator=(const SingleLock&) = delete;

    bool Lock(int64_t timeoutMs = SyncObject::kInfinite) {
        if (!locked_) locked_ = object_.Lock(timeoutMs);
        return locked_;
    }
    void Unlock() {
        if (locked_) object_.Unlock();
        locked_ = false;
    }
    bool IsLocked() const { return locked_; }

private:
    SyncObject& object_;
    bool locked_ = false;
};

}  // namespace Kiv
