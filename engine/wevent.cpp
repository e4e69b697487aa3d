// Kiv::WEvent over one mutex and condition: each waiter has a record in a queue, and a Set
// or Pulse marks records released, so exactly the intended waiters return true whatever
// order the threads wake in.
#include "engine/wevent.h"

#include <chrono>

namespace Kiv {

void WEvent::ReleaseAll() {
    for (Waiter* waiter : waiters_) waiter->released = true;
    waiters_.clear();
    changed_.notify_all();
}

void WEvent::ReleaseOne() {
    if (waiters_.empty()) return;
    waiters_.front()->released = true;
    waiters_.pop_front();
    changed_.notify_all();
}

void WEvent::Set() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (manualReset_) {
        set_ = true;
        ReleaseAll();
    } else if (waiters_.empty()) {
        set_ = true;
    } else {
        ReleaseOne();
    }
}

void WEvent::Reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    set_ = false;
}

void WEvent::Pulse() {
    std::lock_guard<std::mutex> guard(mutex_);
    set_ = false;
    if (manualReset_) {
        ReleaseAll();
    } else {
        ReleaseOne();
    }
}

bool WEvent::Wait(int64_t timeoutMs) {
    std::unique_lock<std::mutex> guard(mutex_);
    if (set_) {
        if (!manualReset_) set_ = false;
        return true;
    }
    if (timeoutMs == 0) return false;
    Waiter self;
    auto place = waiters_.insert(waiters_.end(), &self);
    auto released = [&self] { return self.released; };
    if (timeoutMs < 0) {
        changed_.wait(guard, released);
    } else if (!changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), released)) {
        waiters_.erase(place);
        return false;
    }
    return true;
}

bool WEvent::IsSet() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return set_;
}

size_t WEvent::WaitingCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return waiters_.size();
}

}  // namespace Kiv
