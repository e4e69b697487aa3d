// Kiv::WEvent semantics: auto-reset Set wakes exactly one waiter, Pulse wakes the waiters
// present and leaves the event clear, manual Set wakes all and stays set, time-outs.
#include "engine/wevent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Kiv::WEvent;

// Threads that each wait once (up to 30 s, so that a slow test still releases them) and
// count their releases. The constructor returns once all of them wait.
class Waiters {
public:
    Waiters(WEvent& event, int count) : event_(event) {
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([this] {
                if (event_.Wait(30000)) released_.fetch_add(1);
                finished_.fetch_add(1);
            });
        if (!WaitFor([&] { return event_.WaitingCount() == size_t(count); }))
            ADD_FAILURE() << "the waiting threads did not all wait";
    }
    ~Waiters() {
        for (std::thread& t : threads_) t.join();
    }
    int Released() const { return released_.load(); }
    // Polls a condition for up to ten seconds; true when it held.
    template <class Condition>
    static bool WaitFor(Condition condition) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    bool ReleasedBecomes(int n) const { return WaitFor([&] { return Released() == n; }); }

private:
    WEvent& event_;
    std::vector<std::thread> threads_;
    std::atomic<int> released_{0};
    std::atomic<int> finished_{0};
};

TEST(WEvent, AutoResetSetWakesExactlyOneWaiterAndStaysClear) {
    WEvent event(false, false);
    Waiters waiters(event, 3);
    event.Set();
    EXPECT_TRUE(waiters.ReleasedBecomes(1));
    EXPECT_FALSE(event.IsSet());
    EXPECT_EQ(event.WaitingCount(), 2u);
    event.Set();
    event.Set();
    EXPECT_TRUE(waiters.ReleasedBecomes(3));
    EXPECT_FALSE(event.IsSet());
}

TEST(WEvent, AutoResetSetWithoutWaitersStaysSetUntilOneWaitConsumesIt) {
    WEvent event(false, false);
    event.Set();
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
    WEvent initiallySet(false, true);
    EXPECT_TRUE(initiallySet.Wait(0));
    EXPECT_FALSE(initiallySet.IsSet());
}

TEST(WEvent, AutoResetPulseWakesOneWaiterAndLeavesTheEventClear) {
    WEvent event(false, false);
    Waiters waiters(event, 2);
    event.Pulse();
    EXPECT_TRUE(waiters.ReleasedBecomes(1));
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(0));
    event.Pulse();
    EXPECT_TRUE(waiters.ReleasedBecomes(2));
}

TEST(WEvent, ManualResetPulseWakesAllPresentWaitersAndLeavesTheEventClear) {
    WEvent event(true, false);
    {
        Waiters waiters(event, 3);
        event.Pulse();
        EXPECT_TRUE(waiters.ReleasedBecomes(3));
    }
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(0));
    event.Pulse();  // nobody waits: nothing is remembered
    EXPECT_FALSE(event.Wait(0));
}

TEST(WEvent, ManualResetSetWakesAllAndStaysSetUntilReset) {
    WEvent event(true, false);
    {
        Waiters waiters(event, 3);
        event.Set();
        event.Reset();  // the waiters were released by the Set itself
        EXPECT_TRUE(waiters.ReleasedBecomes(3));
    }
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

TEST(WEvent, WaitTimesOut) {
    WEvent event(true, false);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.Wait(30));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    EXPECT_EQ(event.WaitingCount(), 0u);
}

}  // namespace
