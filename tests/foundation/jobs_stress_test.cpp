// Eight threads post and cancel jobs and take the resource lock while the main thread pumps
// its jobs and moves both clocks, so workers start, idle out and end all the while. At the
// end every job ran or was released exactly once, a synchronous poster's answer says which,
// and the lock is free. Bounded by counts, not by time.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "foundation/jobs/process_identity.h"
#include "foundation/jobs/resource_lock.h"
#include "foundation/jobs/worker_job_queue.h"
#include "job_test_support.h"

namespace {

using namespace WorkerJobFlags;

constexpr int kThreads = 8;
constexpr int kJobsPerThread = 250;
constexpr intptr_t kKeys = 5;

struct StressJob {
    JobRecord record;
    bool synchronous = false;
    bool posterResult = false;
};

class StressCallback : public TCXCallbackBase {
  public:
    StressCallback(JobRecord& record, ResourceLock& lock, bool exclusive)
        : record_(record), lock_(lock), exclusive_(exclusive) {}
    ~StressCallback() override { record_.deletions.fetch_add(1); }

    int32_t Call(intptr_t) override {
        lock_.AcquireCurrentThread(exclusive_);
        record_.runs.fetch_add(1);
        lock_.ReleaseCurrentThread();
        return 0;
    }

  private:
    JobRecord& record_;
    ResourceLock& lock_;
    bool exclusive_;
};

class JobsStress : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordMainThreadId();
        SetJobClock(0.0f);
    }
    void TearDown() override { SetJobClock(0.0f); }

    void Poster(int index, std::vector<StressJob>& jobs) {
        std::mt19937 random(static_cast<uint32_t>(index) * 7919u + 1u);
        static constexpr uint32_t kFlagChoices[] = {0, kMainThreadOnly, kNeverMainThread,
                                                    kMainThreadOnly | kNotInLockWait};
        for (StressJob& job : jobs) {
            const uint32_t flags = kFlagChoices[random() % 4];
            job.synchronous = random() % 3 == 0;
            const intptr_t key = static_cast<intptr_t>(random() % kKeys);
            auto callback = std::make_unique<StressCallback>(job.record, lock, random() % 4 == 0);
            job.posterResult = PostWorkerJob(queue, std::move(callback),
                                             flags | (job.synchronous ? 0 : kAsynchronous), key);
            if (random() % 5 == 0)
                queue.CancelJobs(static_cast<intptr_t>(random() % kKeys), random() % 2 == 0);
            if (random() % 7 == 0) {
                lock.AcquireCurrentThread(random() % 2 == 0);
                lock.ReleaseCurrentThread();
            }
        }
    }

    ScopedFakeJobTiming fake;
    ResourceLock lock;
    WorkerJobQueue queue{"stress"};
};

TEST_F(JobsStress, EveryJobRunsOrIsReleasedExactlyOnce) {
    std::vector<std::vector<StressJob>> jobs(kThreads);
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        jobs[i] = std::vector<StressJob>(kJobsPerThread);
        threads.emplace_back([&, i] {
            Poster(i, jobs[i]);
            finished.fetch_add(1);
        });
    }
    for (float seconds = 0.0f; finished.load() < kThreads; seconds += 1.0f) {
        SetJobClock(seconds);
        fake.timing.Advance(1000);
        while (queue.RunNextJob(0) != 0)
            continue;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    for (std::thread& thread : threads)
        thread.join();
    // What is left: main-thread jobs for this thread, the rest for the workers. The queue
    // goes (joining its workers) before any check can end the test: the jobs write into
    // records that die with this function.
    const bool drained = WaitUntil([&] {
        queue.RunNextJob(0);
        return !queue.HasPendingWork();
    });
    queue.Destroy();
    ASSERT_TRUE(drained);

    int ran = 0;
    for (const auto& list : jobs) {
        for (const StressJob& job : list) {
            const int runs = job.record.runs.load();
            ASSERT_EQ(job.record.deletions.load(), 1);
            ASSERT_LE(runs, 1);
            if (job.synchronous) {
                ASSERT_EQ(job.posterResult, runs == 1);
            }
            ran += runs;
        }
    }
    EXPECT_GT(ran, 0);
    EXPECT_EQ(lock.Holdings(), 0);
    EXPECT_EQ(lock.ExclusiveWaiters(), 0);
}

} // namespace
