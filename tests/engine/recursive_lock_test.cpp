// Kiv::CriticalSection and Kiv::Mutex: recursion, exclusion between threads, timed locks,
// refused unlocks from non-owners, and Kiv::SingleLock scoping.
#include "engine/recursive_lock.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

template <class Lock>
class RecursiveLockTest : public ::testing::Test {};
using LockTypes = ::testing::Types<Kiv::CriticalSection, Kiv::Mutex>;
TYPED_TEST_SUITE(RecursiveLockTest, LockTypes);

bool LockedElsewhere(Kiv::SyncObject& lock, int64_t timeoutMs) {
    bool got = false;
    std::thread other([&] {
        got = lock.Lock(timeoutMs);
        if (got) lock.Unlock();
    });
    other.join();
    return got;
}

TYPED_TEST(RecursiveLockTest, OwnerReentersAndOthersWaitUntilTheLastUnlock) {
    TypeParam lock;
    ASSERT_TRUE(lock.Lock());
    ASSERT_TRUE(lock.Lock(0));
    EXPECT_TRUE(lock.IsLockedByCurrentThread());
    EXPECT_FALSE(LockedElsewhere(lock, 0));
    EXPECT_FALSE(LockedElsewhere(lock, 20));
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(LockedElsewhere(lock, 0));
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.IsLockedByCurrentThread());
    EXPECT_TRUE(LockedElsewhere(lock, 0));
    EXPECT_FALSE(lock.Unlock());  // not held
}

TYPED_TEST(RecursiveLockTest, UnlockFromAnotherThreadIsRefused) {
    TypeParam lock;
    ASSERT_TRUE(lock.Lock());
    bool unlocked = true;
    std::thread other([&] { unlocked = lock.Unlock(); });
    other.join();
    EXPECT_FALSE(unlocked);
    EXPECT_TRUE(lock.IsLockedByCurrentThread());
    EXPECT_TRUE(lock.Unlock());
}

TYPED_TEST(RecursiveLockTest, WaitingThreadGetsTheLockWhenReleased) {
    TypeParam lock;
    ASSERT_TRUE(lock.Lock());
    bool got = false;
    std::thread other([&] {
        got = lock.Lock();
        lock.Unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    lock.Unlock();
    other.join();
    EXPECT_TRUE(got);
}

TEST(SingleLock, LocksForItsScope) {
    Kiv::CriticalSection section;
    {
        Kiv::SingleLock guard(section);
        EXPECT_TRUE(guard.IsLocked());
        EXPECT_TRUE(section.IsLockedByCurrentThread());
        guard.Unlock();
        EXPECT_FALSE(section.IsLockedByCurrentThread());
        EXPECT_TRUE(guard.Lock());
    }
    EXPECT_FALSE(section.IsLockedByCurrentThread());
    Kiv::SingleLock later(section, false);
    EXPECT_FALSE(later.IsLocked());
}

}  // namespace
