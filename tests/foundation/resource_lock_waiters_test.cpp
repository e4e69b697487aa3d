// The wait record beside the resource lock and its cycle check: a thread that would wait for
// itself, directly or through other threads' waits, holder by holder (shared holders too),
// and the cases that must not count as a cycle (a free lock, holders that wait for nothing,
// a wait that was taken off the record).
#include "foundation/jobs/resource_lock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Thread ids far from real ones; the record is process-wide, so each test clears its own.
constexpr uint32_t kA = 9001, kB = 9002, kC = 9003, kD = 9004;

class WaitCycle : public ::testing::Test {
  protected:
    void TearDown() override {
        for (uint32_t thread : {kA, kB, kC, kD}) ResourceLock::RemoveWaiter(thread);
    }
    ResourceLock first, second, third;
};

TEST_F(WaitCycle, AFreeLockOrHoldersThatWaitForNothingMakeNoCycle) {
    EXPECT_FALSE(ResourceLock::CheckWaitCycle(kA, &first));
    EXPECT_FALSE(ResourceLock::CheckWaitCycle(kA, nullptr));
    ASSERT_TRUE(first.TryAcquire(kB, true));
    EXPECT_FALSE(ResourceLock::CheckWaitCycle(kA, &first));
    // B waits for a lock held by C, who waits for nothing.
    ASSERT_TRUE(second.TryAcquire(kC, false));
    ResourceLock::AddWaiter(kB, &second);
    EXPECT_FALSE(ResourceLock::CheckWaitCycle(kA, &first));
}

TEST_F(WaitCycle, AThreadThatWouldWaitForItselfIsACycle) {
    ASSERT_TRUE(first.TryAcquire(kA, false));
    ASSERT_TRUE(first.TryAcquire(kB, false));
    EXPECT_TRUE(ResourceLock::CheckWaitCycle(kA, &first)) << "a shared holder asking again";
    EXPECT_TRUE(first.Holders() == (std::vector<uint32_t>{kA, kB}));

    // A holds second; B holds first exclusively and waits for second.
    ResourceLock exclusive;
    ASSERT_TRUE(exclusive.TryAcquire(kB, true));
    ASSERT_TRUE(second.TryAcquire(kA, true));
    ResourceLock::AddWaiter(kB, &second);
    EXPECT_TRUE(ResourceLock::CheckWaitCycle(kA, &exclusive));
    ResourceLock::RemoveWaiter(kB);
    EXPECT_FALSE(ResourceLock::CheckWaitCycle(kA, &exclusive));
}

// third is shared by B and C; only C's wait leads back to A, through D.
TEST_F(WaitCycle, EveryHolderOfASharedLockIsFollowed) {
    ASSERT_TRUE(first.TryAcquire(kA, true));
    ASSERT_TRUE(second.TryAcquire(kD, true));
    ASSERT_TRUE(third.TryAcquire(kB, false));
    ASSERT_TRUE(third.TryAcquire(kC, false));
    ResourceLock::AddWaiter(kC, &second);
    EXPECT_FALSE(ResourceLock::CheckWaitCycle(kA, &third));
    ResourceLock::AddWaiter(kD, &first);
    EXPECT_TRUE(ResourceLock::CheckWaitCycle(kA, &third));
    ResourceLock::AddWaiter(kD, nullptr);  // a new record replaces the old one
    EXPECT_FALSE(ResourceLock::CheckWaitCycle(kA, &third));
}

// B and C wait for each other; A, outside their cycle, would wait behind them for ever.
TEST_F(WaitCycle, WaitingBehindACycleOfOthersIsStuckToo) {
    ASSERT_TRUE(first.TryAcquire(kB, true));
    ASSERT_TRUE(second.TryAcquire(kC, true));
    ResourceLock::AddWaiter(kB, &second);
    ResourceLock::AddWaiter(kC, &first);
    EXPECT_TRUE(ResourceLock::CheckWaitCycle(kA, &first));
    EXPECT_TRUE(ResourceLock::CheckWaitCycle(kA, &second));
    ResourceLock::RemoveWaiter(kC);
    EXPECT_FALSE(ResourceLock::CheckWaitCycle(kA, &first));
}

}  // namespace
