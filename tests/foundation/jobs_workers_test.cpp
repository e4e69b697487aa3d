// Worker threads of the job queue on a fake clock: the first job starts a worker, another
// starts only after 5 s of job clock and only when none is idle, an idle worker ends after
// 30 s, a job posted as the last worker times out still runs, and a job posted after a
// worker ended starts a fresh one.
#include "foundation/jobs/worker_job_queue.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/thread.h"
#include "foundation/jobs/process_identity.h"
#include "job_test_support.h"

namespace {

using namespace WorkerJobFlags;

class JobsWorkers : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordMainThreadId();
        SetJobClock(0.0f);
    }
    void TearDown() override {
        gate.Set();
        queue.Destroy();
        SetJobClock(0.0f);
    }

    // An asynchronous job for a worker; with blocking, it waits at the gate.
    void Post(JobRecord& record, bool blocking) {
        auto body = [this, blocking] {
            if (blocking) gate.Wait();
        };
        ASSERT_TRUE(PostWorkerJob(queue, std::make_unique<RecordingJob>(record, body),
                                  kNeverMainThread | kAsynchronous, 0));
    }

    // The worker that ran record's job waits for work.
    bool Idle(const JobRecord& record) {
        return WaitUntil([&] { return fake.timing.IsWaiting(record.thread.load()); });
    }

    ScopedFakeJobTiming fake;
    Kiv::WEvent gate{true, false};
    JobRecords records;
    WorkerJobQueue queue{"test"};
};

TEST_F(JobsWorkers, ABusyWorkerGetsCompanyOnlyAfterFiveSecondsOfJobClock) {
    JobRecord& first = records.New();
    JobRecord& second = records.New();
    JobRecord& third = records.New();
    JobRecord& fourth = records.New();
    Post(first, true);
    ASSERT_TRUE(WaitUntil([&] { return first.runs.load() == 1; }));
    EXPECT_EQ(queue.WorkerCount(), 1);

    Post(second, true);
    SetJobClock(5.0f); // not yet later than the start stamp + 5 s
    Post(third, true);
    EXPECT_EQ(queue.WorkerCount(), 1);
    EXPECT_EQ(second.runs.load() + third.runs.load(), 0);

    SetJobClock(5.5f);
    Post(fourth, true);
    EXPECT_EQ(queue.WorkerCount(), 2);
    ASSERT_TRUE(WaitUntil([&] { return second.runs.load() == 1; }));
    EXPECT_NE(second.thread.load(), first.thread.load());

    gate.Set();
    ASSERT_TRUE(WaitUntil([&] { return third.runs.load() == 1 && fourth.runs.load() == 1; }));
    EXPECT_EQ(queue.WorkerCount(), 2);
}

TEST_F(JobsWorkers, AnIdleWorkerTakesTheJobHoweverLateTheJobClock) {
    JobRecord& first = records.New();
    JobRecord& later = records.New();
    Post(first, false);
    ASSERT_TRUE(Idle(first));
    SetJobClock(1000.0f);
    Post(later, false);
    ASSERT_TRUE(WaitUntil([&] { return later.runs.load() == 1; }));
    EXPECT_EQ(later.thread.load(), first.thread.load());
    EXPECT_EQ(queue.WorkerCount(), 1);
}

TEST_F(JobsWorkers, AnIdleWorkerEndsAfterThirtySecondsAndANewJobStartsAnother) {
    JobRecord& first = records.New();
    JobRecord& after = records.New();
    Post(first, false);
    ASSERT_TRUE(Idle(first));
    EXPECT_TRUE(queue.HasIdleWorkers());

    fake.timing.Advance(29999);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(queue.WorkerCount(), 1);
    fake.timing.Advance(1);
    ASSERT_TRUE(WaitUntil([&] { return queue.WorkerCount() == 0; }));
    EXPECT_FALSE(queue.HasIdleWorkers());

    Post(after, false); // the job clock has not moved: only "no worker left" starts one
    ASSERT_TRUE(WaitUntil([&] { return after.runs.load() == 1; }));
    EXPECT_NE(after.thread.load(), first.thread.load());
}

TEST_F(JobsWorkers, AJobPostedJustAsTheLastWorkerTimesOutStillRuns) {
    JobRecord& first = records.New();
    JobRecord& late = records.New();
    Post(first, false);
    ASSERT_TRUE(Idle(first));
    // The worker still counts as idle when the job arrives, so no worker is started for it.
    fake.timing.OnNextTimeout([&] { Post(late, false); });
    fake.timing.Advance(30000);
    ASSERT_TRUE(WaitUntil([&] { return late.runs.load() == 1; }));
    EXPECT_EQ(late.thread.load(), first.thread.load());
}

TEST_F(JobsWorkers, ShutdownEndsIdleWorkersAndKeepsQueuedJobsForDestroy) {
    JobRecord& first = records.New();
    JobRecord& queuedForMain = records.New();
    Post(first, false);
    ASSERT_TRUE(Idle(first));
    ASSERT_TRUE(PostWorkerJob(queue, std::make_unique<RecordingJob>(queuedForMain),
                              kMainThreadOnly | kAsynchronous, 0));
    queue.Shutdown();
    EXPECT_EQ(queue.WorkerCount(), 0);
    EXPECT_TRUE(queue.HasPendingWork());
    EXPECT_EQ(queue.RunNextJob(0), 0);
    queue.Destroy();
    EXPECT_FALSE(queue.HasPendingWork());
    EXPECT_EQ(queuedForMain.runs.load(), 0);
    EXPECT_EQ(queuedForMain.deletions.load(), 1);
}

} // namespace
