// Worker jobs: where a posted job runs (at once on the poster, on a worker, on the main
// thread), what RunNextJob takes and answers, the main thread's notification, cancelling by
// key, a job that throws, and releasing queued jobs at shut-down.
#include "foundation/jobs/worker_job_queue.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "engine/thread.h"
#include "foundation/jobs/process_identity.h"
#include "job_test_support.h"

namespace {

using namespace WorkerJobFlags;

class JobsQueue : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordMainThreadId();
        SetJobClock(0.0f);
    }
    void TearDown() override { SetJobClock(0.0f); }

    std::unique_ptr<RecordingJob> Job(JobRecord& record, std::function<void()> body = {}) {
        return std::make_unique<RecordingJob>(record, std::move(body));
    }

    ScopedFakeJobTiming fake; // outlives the queue and its workers
    JobRecords records;       // as do the records its jobs write into
    WorkerJobQueue queue{"test"};
};

TEST_F(JobsQueue, SynchronousJobFromTheMainThreadRunsWhereItsFlagsAllow) {
    const uint32_t mainThread = Kiv::Thread::GetCurrentId();
    struct Case {
        uint32_t flags;
        bool onMainThread;
    };
    for (Case c : {Case{0, true}, Case{kMainThreadOnly, true}, Case{kNotInLockWait, true},
                   Case{kNeverMainThread, false}}) {
        SCOPED_TRACE(c.flags);
        JobRecord& record = records.New();
        EXPECT_TRUE(PostWorkerJob(queue, Job(record), c.flags, 1));
        EXPECT_EQ(record.runs.load(), 1);
        EXPECT_EQ(record.deletions.load(), 1);
        EXPECT_EQ(record.thread.load() == mainThread, c.onMainThread);
    }
    EXPECT_EQ(queue.WorkerCount(), 1); // only the never-main-thread job needed a worker
    EXPECT_FALSE(queue.HasPendingWork());
}

TEST_F(JobsQueue, SynchronousJobFromAWorkerRunsAtOnceUnlessMainThreadOnly) {
    JobRecord& onPoster = records.New();
    JobRecord& forMain = records.New();
    bool inlineResult = false;
    bool forMainResult = false;
    uint32_t posterThread = 0;
    std::thread poster([&] {
        posterThread = Kiv::Thread::GetCurrentId();
        inlineResult = PostWorkerJob(queue, Job(onPoster), kNeverMainThread, 1);
        forMainResult = PostWorkerJob(queue, Job(forMain), kMainThreadOnly, 2);
    });
    // The flag and then the event follow the job into the queue.
    ASSERT_TRUE(WaitUntil([&] { return queue.HasPendingWork(); }));
    EXPECT_TRUE(WaitUntil([&] { return queue.IsMainThreadNotified(); }));
    EXPECT_TRUE(WaitUntil([&] { return queue.WaitMainThreadEvent(0); }));
    EXPECT_EQ(forMain.runs.load(), 0);

    EXPECT_EQ(queue.RunNextJob(0), 0);
    EXPECT_FALSE(queue.IsMainThreadNotified());
    EXPECT_FALSE(queue.WaitMainThreadEvent(0));
    poster.join();
    EXPECT_TRUE(inlineResult);
    EXPECT_TRUE(forMainResult);
    EXPECT_EQ(onPoster.thread.load(), posterThread);
    EXPECT_EQ(forMain.thread.load(), Kiv::Thread::GetCurrentId());
    EXPECT_EQ(queue.WorkerCount(), 0);
}

TEST_F(JobsQueue, MainThreadTakesTheOldestJobItsMaskAllowsAndAnswersQueuedMinusOne) {
    std::vector<int> order;
    JobRecord& a = records.New();
    JobRecord& b = records.New();
    JobRecord& c = records.New();
    // Asynchronous main-only jobs stay queued until the main thread runs them.
    ASSERT_TRUE(PostWorkerJob(queue, Job(a, [&] { order.push_back(1); }),
                              kMainThreadOnly | kAsynchronous | kNotInLockWait, 1));
    ASSERT_TRUE(PostWorkerJob(queue, Job(b, [&] { order.push_back(2); }),
                              kMainThreadOnly | kAsynchronous, 2));
    ASSERT_TRUE(PostWorkerJob(queue, Job(c, [&] { order.push_back(3); }),
                              kMainThreadOnly | kAsynchronous, 3));
    EXPECT_EQ(a.runs.load() + b.runs.load() + c.runs.load(), 0);

    EXPECT_EQ(queue.RunNextJob(kNotInLockWait), 2); // three queued; job 1 passed over
    EXPECT_EQ(queue.RunNextJob(kNotInLockWait), 1);
    EXPECT_EQ(queue.RunNextJob(kNotInLockWait), 0); // only job 1 is left, and it is excluded
    EXPECT_EQ(a.runs.load(), 0);
    EXPECT_EQ(queue.RunNextJob(0), 0); // ran the last one
    EXPECT_EQ(order, (std::vector<int>{2, 3, 1}));
    EXPECT_FALSE(queue.HasPendingWork());
}

TEST_F(JobsQueue, CancelJobsReleasesEveryQueuedJobWithTheKey) {
    constexpr intptr_t kKey = 41;
    JobRecord& first = records.New();
    JobRecord& second = records.New();
    JobRecord& other = records.New();
    JobRecord& synchronous = records.New();
    WorkerJobCompletion completion;
    ASSERT_TRUE(
        PostWorkerJob(queue, Job(first), kMainThreadOnly | kAsynchronous, kKey, &completion));
    ASSERT_TRUE(PostWorkerJob(queue, Job(other), kMainThreadOnly | kAsynchronous, kKey + 1));
    ASSERT_TRUE(PostWorkerJob(queue, Job(second), kMainThreadOnly | kAsynchronous, kKey));
    bool posterResult = true;
    std::thread poster(
        [&] { posterResult = PostWorkerJob(queue, Job(synchronous), kMainThreadOnly, kKey); });
    ASSERT_TRUE(WaitUntil([&] { return fake.timing.SleepCalls() > 0; })); // poster is waiting

    queue.CancelJobs(kKey, true);
    poster.join();
    EXPECT_FALSE(posterResult);
    for (JobRecord* record : {&first, &second, &synchronous}) {
        EXPECT_EQ(record->runs.load(), 0);
        EXPECT_EQ(record->deletions.load(), 1);
    }
    EXPECT_FALSE(completion.IsPending());
    EXPECT_EQ(completion.Outstanding(), 0);
    EXPECT_TRUE(completion.Event().IsSet());

    EXPECT_EQ(queue.RunNextJob(0), 0);
    EXPECT_EQ(other.runs.load(), 1);
    EXPECT_FALSE(queue.HasPendingWork());
}

TEST_F(JobsQueue, CancelJobsWithWaitReturnsOnlyAfterTheRunningJobEnded) {
    constexpr intptr_t kKey = 7;
    Kiv::WEvent gate(true, false);
    JobRecord& running = records.New();
    ASSERT_TRUE(PostWorkerJob(queue, Job(running, [&] { gate.Wait(); }),
                              kNeverMainThread | kAsynchronous, kKey));
    ASSERT_TRUE(WaitUntil([&] { return queue.IsJobRunning(kKey); }));

    std::atomic<bool> cancelled{false};
    std::thread canceller([&] {
        queue.CancelJobs(kKey, true);
        cancelled.store(true);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(cancelled.load());
    gate.Set();
    canceller.join();
    EXPECT_TRUE(cancelled.load());
    EXPECT_FALSE(queue.IsJobRunning(kKey));
    EXPECT_EQ(running.runs.load(), 1);
}

TEST_F(JobsQueue, AJobThatThrowsOutsideACommandLeavesTheQueueConsistent) {
    JobRecord& record = records.New();
    ASSERT_TRUE(PostWorkerJob(queue, Job(record, [] { throw std::runtime_error("job"); }),
                              kMainThreadOnly | kAsynchronous, 5));
    EXPECT_THROW(queue.RunNextJob(0), std::runtime_error);
    EXPECT_EQ(record.deletions.load(), 1);
    EXPECT_FALSE(queue.IsJobRunning(5));
    EXPECT_FALSE(queue.HasPendingWork());

    JobRecord& inlineRecord = records.New();
    EXPECT_THROW(
        PostWorkerJob(queue, Job(inlineRecord, [] { throw std::runtime_error("inline"); }), 0, 6),
        std::runtime_error);
    EXPECT_EQ(inlineRecord.deletions.load(), 1);
}

TEST_F(JobsQueue, DestroyReleasesQueuedJobsAndLaterPostsAreRefused) {
    JobRecord& queued = records.New();
    JobRecord& synchronous = records.New();
    JobRecord& late = records.New();
    ASSERT_TRUE(PostWorkerJob(queue, Job(queued), kMainThreadOnly | kAsynchronous, 1));
    bool posterResult = true;
    std::thread poster(
        [&] { posterResult = PostWorkerJob(queue, Job(synchronous), kMainThreadOnly, 2); });
    ASSERT_TRUE(WaitUntil([&] { return fake.timing.SleepCalls() > 0; })); // poster is waiting

    queue.Destroy();
    poster.join();
    EXPECT_FALSE(posterResult);
    EXPECT_EQ(queued.deletions.load(), 1);
    EXPECT_EQ(synchronous.deletions.load(), 1);
    EXPECT_EQ(queued.runs.load() + synchronous.runs.load(), 0);

    EXPECT_FALSE(PostWorkerJob(queue, Job(late), kNeverMainThread, 3));
    EXPECT_EQ(late.runs.load(), 0);
    EXPECT_EQ(late.deletions.load(), 1);
    EXPECT_EQ(queue.RunNextJob(0), 0);
}

} // namespace
