// The resource lock's grant and release rules. Its critical section is held only inside one
// attempt or one release, never across a sleep.
#include "foundation/jobs/resource_lock.h"

#include "engine/thread.h"
#include "foundation/console/log_message.h"

ResourceLock& ResourceLock::Instance() {
    static ResourceLock* lock = new ResourceLock;
    return *lock;
}

bool ResourceLock::Acquire(uint32_t thread, bool exclusive) {
    if (TryAcquire(thread, exclusive)) return true;
    if (exclusive && IsHolder(thread)) {
        LogMessage("ResourceLock::Acquire> Thread %u holds the lock shared and cannot hold it "
                   "exclusively; request refused",
                   thread);
        return false;
    }
    if (exclusive) AdjustExclusiveWaiters(1);
    WaitForGrant(thread, exclusive);
    if (exclusive) AdjustExclusiveWaiters(-1);
    return true;
}

bool ResourceLock::AcquireCurrentThread(bool exclusive) {
    return Acquire(Kiv::Thread::GetCurrentId(), exclusive);
}

bool ResourceLock::TryAcquire(uint32_t thread, bool exclusive) {
    Kiv::SingleLock guard(lock_);
    bool granted = false;
    if (holdings_ == 0) {
        granted = exclusive || exclusiveWaiters_ == 0;
    } else if (IsHolder(thread)) {
        granted = !exclusive || (exclusive_ && HoldsAlone(thread));
    } else {
        granted = !exclusive && !exclusive_ && exclusiveWaiters_ == 0;
    }
    if (!granted) return false;
    ++holdings_;
    if (exclusive) exclusive_ = true;
    holders_.PushBackFirstFit(thread);
    return true;
}

bool ResourceLock::Release(uint32_t thread) {
    Kiv::SingleLock guard(lock_);
    auto entry = holders_.Find(thread);
    if (entry.IsEnd()) {
        if (!loggedStrayRelease_.exchange(true))
            LogMessage("ResourceLock::Release> Thread %u holds nothing; release ignored", thread);
        return false;
    }
    holders_.EraseUnordered(entry);
    if (--holdings_ != 0) return false;
    exclusive_ = false;
    return true;
}

bool ResourceLock::ReleaseCurrentThread() {
    return Release(Kiv::Thread::GetCurrentId());
}

int32_t ResourceLock::Holdings() const {
    Kiv::SingleLock guard(lock_);
    return holdings_;
}

bool ResourceLock::IsExclusive() const {
    Kiv::SingleLock guard(lock_);
    return exclusive_;
}

int32_t ResourceLock::ExclusiveWaiters() const {
    Kiv::SingleLock guard(lock_);
    return exclusiveWaiters_;
}

bool ResourceLock::IsHolder(uint32_t thread) const {
    Kiv::SingleLock guard(lock_);
    return !holders_.Find(thread).IsEnd();
}

bool ResourceLock::HoldsAlone(uint32_t thread) const {
    auto other = holders_.FindIf([thread](uint32_t holder) { return holder != thread; });
    return other.IsEnd();
}

void ResourceLock::AdjustExclusiveWaiters(int32_t delta) {
    Kiv::SingleLock guard(lock_);
    exclusiveWaiters_ += delta;
}
