// Kiv::WEvent: an event that threads wait on. Manual reset: Set releases every waiter and
// stays set until Reset. Auto reset: Set releases exactly one waiter and stays clear, or,
// with nobody waiting, stays set until one Wait consumes it. Pulse releases the waiters
// present at that moment (manual: all, auto: the longest waiting) and leaves the event
// clear; with nobody waiting it does nothing. Waiters are released at the Set or Pulse
// itself, so a Reset right after cannot take the release back.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>

namespace Kiv {

class WEvent {
public:
    static constexpr int64_t kInfinite = -1;

    explicit WEvent(bool manualReset = false, bool initiallySet = false)
        : manualReset_(manualReset), set_(initiallySet) {}
    WEvent(const WEvent&) = delete;
    WEvent& operator=(const WEvent&) = delete;

    void Set();
    void Reset();
    void Pulse();
    // True when released or already set; false after timeoutMs (negative: no end).
    bool Wait(int64_t timeoutMs = kInfinite);
    bool IsSet() const;
    // Threads waiting now (for diagnostics and tests).
    size_t WaitingCount() const;
    bool IsManualReset() const { return manualReset_; }

private:
    struct Waiter {
        bool released = false;
    };
    void ReleaseAll();
    void ReleaseOne();

    const bool manualReset_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool set_;
    std::list<Waiter*> waiters_;  // oldest first
};

}  // namespace Kiv
