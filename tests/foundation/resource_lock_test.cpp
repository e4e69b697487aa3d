// The resource lock: the grant rules of one attempt, writer preference, one thread's nested
// holdings, releases by threads that hold nothing, the retry schedule, and the main
// thread's duties while it waits (jobs, the blocking screen every 15 s, the purges).
#include "foundation/jobs/resource_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "engine/log.h"
#include "engine/pstring.h"
#include "engine/thread.h"
#include "foundation/jobs/process_identity.h"
#include "foundation/jobs/worker_job_queue.h"
#include "job_test_support.h"

namespace {

constexpr uint32_t kA = 101, kB = 102, kC = 103, kD = 104;

TEST(ResourceLock, OneAttemptFollowsTheGrantRules) {
    enum Held { kFree, kSharedByA, kExclusiveByA };
    struct Case {
        Held held;
        uint32_t thread;
        bool exclusive;
        bool granted;
    };
    const Case cases[] = {
        {kFree, kB, false, true},          {kFree, kB, true, true},
        {kSharedByA, kB, false, true},     {kSharedByA, kB, true, false},
        {kSharedByA, kA, false, true},     {kSharedByA, kA, true, false}, // no upgrade
        {kExclusiveByA, kB, false, false}, {kExclusiveByA, kB, true, false},
        {kExclusiveByA, kA, false, true},  {kExclusiveByA, kA, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.held << " " << c.thread << " " << c.exclusive);
        ResourceLock lock;
        if (c.held != kFree) {
            ASSERT_TRUE(lock.TryAcquire(kA, c.held == kExclusiveByA));
        }
        EXPECT_EQ(lock.TryAcquire(c.thread, c.exclusive), c.granted);
        EXPECT_EQ(lock.Holdings(), (c.held != kFree) + c.granted);
    }
}

TEST(ResourceLock, AWaitingWriterStopsNewReadersButNotReEntry) {
    ResourceLock lock;
    ASSERT_TRUE(lock.TryAcquire(kA, false));
    ASSERT_TRUE(lock.TryAcquire(kB, false));
    std::atomic<bool> granted{false};
    std::thread writer([&] {
        lock.Acquire(kC, true);
        granted.store(true);
    });
    ASSERT_TRUE(WaitUntil([&] { return lock.ExclusiveWaiters() == 1; }));

    EXPECT_FALSE(lock.TryAcquire(kD, false));
    EXPECT_TRUE(lock.TryAcquire(kA, false)); // A re-enters
    EXPECT_FALSE(lock.Release(kA));
    EXPECT_FALSE(lock.Release(kA));
    EXPECT_FALSE(granted.load());
    EXPECT_TRUE(lock.Release(kB));
    writer.join();
    EXPECT_TRUE(granted.load());
    EXPECT_TRUE(lock.IsExclusive());
    EXPECT_EQ(lock.ExclusiveWaiters(), 0);

    EXPECT_FALSE(lock.TryAcquire(kD, false));
    EXPECT_TRUE(lock.Release(kC));
    EXPECT_TRUE(lock.TryAcquire(kD, false));
}

TEST(ResourceLock, ExclusiveSharedExclusiveNestOnOneThread) {
    ResourceLock lock;
    ASSERT_TRUE(lock.AcquireCurrentThread(true));
    ASSERT_TRUE(lock.AcquireCurrentThread(false));
    ASSERT_TRUE(lock.AcquireCurrentThread(true));
    EXPECT_EQ(lock.Holdings(), 3);
    EXPECT_FALSE(lock.TryAcquire(kB, false));
    EXPECT_FALSE(lock.ReleaseCurrentThread());
    EXPECT_FALSE(lock.ReleaseCurrentThread());
    EXPECT_TRUE(lock.IsExclusive());
    EXPECT_TRUE(lock.ReleaseCurrentThread());
    EXPECT_FALSE(lock.IsExclusive());
    EXPECT_TRUE(lock.TryAcquire(kB, false));
}

TEST(ResourceLock, AReleaseByAThreadThatHoldsNothingChangesNothingAndIsLoggedOnce) {
    const std::filesystem::path logPath =
        std::filesystem::temp_directory_path() /
        ("resource_lock_test_" + std::to_string(Kiv::Thread::GetProcessId()) + ".log");
    std::filesystem::remove(logPath);
    Kiv::Options options;
    options.ProcessRaw(("-LogFile=" + logPath.string()).c_str());
    ASSERT_TRUE(Kiv::Log::Init(options));

    ResourceLock lock;
    ASSERT_TRUE(lock.TryAcquire(kA, true));
    EXPECT_FALSE(lock.Release(kB));
    EXPECT_FALSE(lock.Release(kB));
    EXPECT_EQ(lock.Holdings(), 1);
    EXPECT_TRUE(lock.IsExclusive());
    EXPECT_FALSE(lock.TryAcquire(kB, false));
    EXPECT_TRUE(lock.Release(kA));
    EXPECT_FALSE(lock.Release(kA));

    Kiv::Log::Shutdown();
    std::ifstream file(logPath);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), "ResourceLock::Release> Thread 102 holds nothing; release ignored\n");
    std::filesystem::remove(logPath);
}

// Refused at once in every build: waiting would count an exclusive waiter that is never
// granted and so stop every new reader for ever. Asked from a thread of its own, so that a
// wait that never ends fails the test instead of hanging it.
TEST(ResourceLock, ASharedHolderAskingForExclusiveIsRefusedAndLogged) {
    const std::filesystem::path logPath =
        std::filesystem::temp_directory_path() /
        ("resource_lock_upgrade_" + std::to_string(Kiv::Thread::GetProcessId()) + ".log");
    std::filesystem::remove(logPath);
    Kiv::Options options;
    options.ProcessRaw(("-LogFile=" + logPath.string()).c_str());
    ASSERT_TRUE(Kiv::Log::Init(options));

    struct Shared {
        ResourceLock lock;
        std::atomic<int> answer{-1};
    };
    auto shared = std::make_shared<Shared>();
    ASSERT_TRUE(shared->lock.TryAcquire(kA, false));
    ASSERT_TRUE(shared->lock.TryAcquire(kB, false));
    std::thread([shared] { shared->answer.store(shared->lock.Acquire(kA, true) ? 1 : 0); })
        .detach();
    ASSERT_TRUE(WaitUntil([&] { return shared->answer.load() != -1; }))
        << "the request waits for ever";
    EXPECT_EQ(shared->answer.load(), 0);
    EXPECT_EQ(shared->lock.ExclusiveWaiters(), 0);
    EXPECT_FALSE(shared->lock.IsExclusive());
    EXPECT_EQ(shared->lock.Holdings(), 2);
    EXPECT_TRUE(shared->lock.TryAcquire(kD, false)) << "new readers still come in";

    Kiv::Log::Shutdown();
    std::ifstream file(logPath);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), "ResourceLock::Acquire> Thread 101 holds the lock shared and cannot "
                          "hold it exclusively; request refused\n");
    std::filesystem::remove(logPath);
}

class ResourceLockWait : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordMainThreadId();
        calls.Reset();
        ResourceLockWaitHooks hooks;
        hooks.showBlockingScreen = [] { calls.shows.fetch_add(1); };
        hooks.updateBlockingScreen = [] { calls.updates.fetch_add(1); };
        hooks.hideBlockingScreen = [] { calls.hides.fetch_add(1); };
        hooks.dumpUnusedResources = [] { calls.dumps.fetch_add(1); };
        ResourceLock::SetWaitHooks(hooks);
    }
    void TearDown() override { ResourceLock::SetWaitHooks({}); }

    struct Calls {
        void Reset() { shows = updates = hides = dumps = 0; }
        std::atomic<int32_t> shows{0}, updates{0}, hides{0}, dumps{0};
    };
    static Calls calls;

    // Moves the clock while the main thread waits: 15 s (nothing yet), 1 ms more (shown),
    // then twice 15 s and 1 ms (updated).
    void DriveFortyFiveSeconds() {
        ASSERT_TRUE(WaitUntil([&] { return fake.timing.SleepCalls() > 0; }));
        fake.timing.Advance(15000);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(calls.shows.load(), 0);
        fake.timing.Advance(1);
        ASSERT_TRUE(WaitUntil([&] { return calls.shows.load() == 1; }));
        EXPECT_EQ(calls.dumps.load(), 1);
        for (int32_t updates = 1; updates <= 2; ++updates) {
            fake.timing.Advance(15001);
            ASSERT_TRUE(WaitUntil([&] { return calls.updates.load() == updates; }));
        }
        EXPECT_EQ(calls.hides.load(), 0);
    }

    ScopedFakeJobTiming fake;
    ResourceLock lock;
};

ResourceLockWait::Calls ResourceLockWait::calls;

TEST_F(ResourceLockWait, RetriesFirstOnlyYieldThenSleepLongerUpToTwentyMs) {
    ASSERT_TRUE(lock.TryAcquire(kA, true));
    std::thread waiter([&] { lock.Acquire(kB, false); });
    ASSERT_TRUE(WaitUntil([&] { return fake.timing.SleepCalls() >= 400; }));
    lock.Release(kA);
    waiter.join();

    const std::vector<int64_t> sleeps = fake.timing.Sleeps();
    ASSERT_GE(sleeps.size(), 400u);
    struct Stretch {
        size_t first, last;
        int64_t ms;
    };
    const Stretch stretches[] = {{0, 109, 0},    {110, 119, 1},  {120, 129, 2},  {190, 199, 9},
                                 {200, 209, 10}, {280, 289, 18}, {290, 299, 19}, {300, 399, 20}};
    for (const Stretch& stretch : stretches)
        for (size_t i = stretch.first; i <= stretch.last; ++i)
            ASSERT_EQ(sleeps[i], stretch.ms) << "retry " << i;
    EXPECT_EQ(calls.shows.load(), 0); // not the main thread
}

TEST_F(ResourceLockWait, MainThreadShowsTheScreenAfter15sUpdatesEvery15sAndHidesAfter) {
    ASSERT_TRUE(lock.TryAcquire(kA, true));
    Kiv::PString("resource lock wait: dropped name");
    const size_t internedBefore = Kiv::PStringCache::Count();
    std::thread holder([&] {
        DriveFortyFiveSeconds();
        lock.Release(kA);
    });
    lock.AcquireCurrentThread(false);
    holder.join();
    EXPECT_EQ(calls.shows.load(), 1);
    EXPECT_EQ(calls.updates.load(), 2);
    EXPECT_EQ(calls.dumps.load(), 3);
    EXPECT_EQ(calls.hides.load(), 1);
    EXPECT_LT(Kiv::PStringCache::Count(), internedBefore);
    EXPECT_TRUE(lock.ReleaseCurrentThread());
}

TEST_F(ResourceLockWait, MainThreadRunsMainThreadJobsWhileWaitingExceptThoseFlagged4) {
    using namespace WorkerJobFlags;
    WorkerJobQueue& queue = WorkerJobQueue::Singleton();
    ASSERT_TRUE(lock.TryAcquire(kA, true));
    JobRecord later, now;
    bool posterResult = false;
    std::thread holder([&] {
        ASSERT_TRUE(PostWorkerJob(queue, std::make_unique<RecordingJob>(later),
                                  kMainThreadOnly | kNotInLockWait | kAsynchronous, 0));
        posterResult =
            PostWorkerJob(queue, std::make_unique<RecordingJob>(now), kMainThreadOnly, 0);
        lock.Release(kA);
    });
    lock.AcquireCurrentThread(true);
    holder.join();
    EXPECT_TRUE(posterResult);
    EXPECT_EQ(now.thread.load(), Kiv::Thread::GetCurrentId());
    EXPECT_EQ(later.runs.load(), 0);
    EXPECT_EQ(calls.shows.load() + calls.hides.load(), 0); // no 15 s passed
    EXPECT_TRUE(lock.ReleaseCurrentThread());

    EXPECT_EQ(queue.RunNextJob(0), 0);
    EXPECT_EQ(later.runs.load(), 1);
}

} // namespace
