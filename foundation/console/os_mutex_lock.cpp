// The engine's mutex refuses only one release, by a thread that does not own it, so every
// failed release is that one.
#include "foundation/console/os_mutex_lock.h"

#include "foundation/console/log_message.h"
#include "foundation/crash/os_exception.h"

namespace OS {

namespace {

constexpr const char* kNotOwner = "Failed to release the mutex";

}  // namespace

MutexLock::MutexLock(Kiv::Mutex& mutex, int64_t timeoutMs) : mutex_(mutex) {
    if (!mutex_.Lock(timeoutMs)) throw OSException();
}

MutexLock::~MutexLock() {
    if (!held_) return;
    held_ = false;
    if (!mutex_.Unlock()) LogMessage("OS::MutexLock> %s", kNotOwner);
}

void MutexLock::Unlock() {
    if (!held_) return;
    held_ = false;
    if (!mutex_.Unlock()) throw OSException(kNotOwner);
}

}  // namespace OS
