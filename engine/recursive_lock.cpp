// Owner and depth of Kiv::RecursiveLock, kept under a plain mutex with a condition for
// threads that wait, so that a timed lock and an owner check cost no extra machinery.
#include "engine/recursive_lock.h"

#include <chrono>

namespace Kiv {

bool RecursiveLock::Lock(int64_t timeoutMs) {
    std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> guard(mutex_);
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return true;
    }
    auto free = [this] { return depth_ == 0; };
    if (timeoutMs < 0) {
        released_.wait(guard, free);
    } else if (!released_.wait_for(guard, std::chrono::milliseconds(timeoutMs), free)) {
        return false;
    }
    owner_ = self;
    depth_ = 1;
    return true;
}

bool RecursiveLock::Unlock() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return false;
    if (--depth_ == 0) {
        owner_ = std::thread::id();
        released_.notify_one();
    }
    return true;
}

bool RecursiveLock::IsLockedByCurrentThread() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return depth_ > 0 && owner_ == std::this_thread::get_id();
}

}  // namespace Kiv
