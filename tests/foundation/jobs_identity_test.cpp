// The process identity and the counted lock: the recorded program name and main thread, the
// job mask of the main thread and of others, the values this tool never sets, the optional
// hook, the calendar clock, and the depth of a CountedLock across threads.
#include "foundation/jobs/process_identity.h"

#include <gtest/gtest.h>

#include <thread>

#include "engine/thread.h"
#include "foundation/jobs/counted_lock.h"
#include "foundation/jobs/worker_job_queue.h"

namespace {

TEST(JobsIdentity, TheRecordingThreadBecomesTheMainThread) {
    uint32_t otherId = 0;
    std::thread other([&] {
        RecordProgramIdentity("KodrinUtil");
        otherId = Kiv::Thread::GetCurrentId();
        EXPECT_TRUE(WorkerJobQueue::IsMainThread());
        EXPECT_EQ(CurrentThreadJobMask(), 16u);
    });
    other.join();
    EXPECT_EQ(GetProgramName(), "KodrinUtil");
    EXPECT_EQ(WorkerJobQueue::GetMainThreadId(), otherId);
    EXPECT_FALSE(WorkerJobQueue::IsMainThread());
    EXPECT_EQ(CurrentThreadJobMask(), 1u);

    RecordMainThreadId();
    EXPECT_EQ(WorkerJobQueue::GetMainThreadId(), Kiv::Thread::GetCurrentId());
    EXPECT_EQ(CurrentThreadJobMask(), 16u);
    EXPECT_EQ(GetProgramName(), "KodrinUtil");
}

TEST(JobsIdentity, UnsetValuesReadZeroAndTheHookAnswersOnlyOnceInstalled) {
    EXPECT_FALSE(GetApplicationByte());
    EXPECT_EQ(GetApplicationFloat(), 0.0f);
    EXPECT_EQ(GetApplicationInt(), 0);
    EXPECT_EQ(CallApplicationHook(3, 4), 0);
    SetApplicationHook([](int32_t a, int32_t b) { return a * 10 + b; });
    EXPECT_EQ(CallApplicationHook(3, 4), 34);
    SetApplicationHook(nullptr);
    EXPECT_EQ(CallApplicationHook(3, 4), 0);
}

TEST(JobsIdentity, LocalTimeConvertsBackToTheSameSeconds) {
    const int64_t now = Time64();
    EXPECT_GT(now, 1600000000); // after September 2020
    const std::time_t seconds = static_cast<std::time_t>(now);
    std::tm local{};
    ASSERT_NE(localtime_r(&seconds, &local), nullptr);
    EXPECT_EQ(MakeTime64(local), now);
}

TEST(CountedLock, DepthFollowsLocksOfTheOwningThreadOnly) {
    CountedLock lock;
    EXPECT_EQ(lock.Depth(), 0);
    lock.Lock();
    lock.Lock();
    EXPECT_EQ(lock.Depth(), 2);
    bool strangerUnlocked = true;
    std::thread stranger([&] { strangerUnlocked = lock.Unlock(); });
    stranger.join();
    EXPECT_FALSE(strangerUnlocked);
    EXPECT_EQ(lock.Depth(), 2);
    EXPECT_TRUE(lock.Unlock());
    EXPECT_TRUE(lock.Unlock());
    EXPECT_EQ(lock.Depth(), 0);
    EXPECT_FALSE(lock.Unlock());

    std::thread other([&] {
        lock.Lock();
        EXPECT_EQ(lock.Depth(), 1);
        lock.Unlock();
    });
    other.join();
    EXPECT_EQ(lock.Depth(), 0);
}

} // namespace
