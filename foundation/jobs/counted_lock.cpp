// CountedLock over Kiv::Mutex.
#include "foundation/jobs/counted_lock.h"

void CountedLock::Lock() {
    mutex_.Lock();
    depth_.fetch_add(1);
}

bool CountedLock::Unlock() {
    if (!mutex_.IsLockedByCurrentThread()) return false;
    depth_.fetch_sub(1);
    return mutex_.Unlock();
}
