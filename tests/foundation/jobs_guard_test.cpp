// The guarded run of a job object: while a command runs, an exception escaping a job ends
// the process with -100 (a parent sees 156), on the poster and on a worker alike; outside a
// command the exception reaches the caller. The -100 guard itself, which the command's
// guarded run shares.
#include "foundation/jobs/run_guarded.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "foundation/results/command_state.h"
#include "foundation/jobs/process_identity.h"
#include "foundation/jobs/worker_job_queue.h"

namespace {

using namespace WorkerJobFlags;

class ThrowingJob : public TCXCallbackBase {
  public:
    int32_t Call(intptr_t) override { throw std::runtime_error("escaped"); }
};

void PostThrowingJobInCommand(uint32_t flags) {
    g_inCommand.store(true);
    WorkerJobQueue queue("guarded");
    PostWorkerJob(queue, std::make_unique<ThrowingJob>(), flags, 0);
}

TEST(JobsGuard, AnExceptionEscapingAJobDuringACommandEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    RecordMainThreadId();
    EXPECT_EXIT(PostThrowingJobInCommand(0), ::testing::ExitedWithCode(156), "");
    EXPECT_EXIT(PostThrowingJobInCommand(kNeverMainThread), ::testing::ExitedWithCode(156), "");
}

TEST(JobsGuard, TheGuardReturnsTheResultOrEndsTheProcessWithMinus100) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EQ(RunEndingOnEscape([] { return 42; }), 42);
    EXPECT_EXIT(RunEndingOnEscape([]() -> int { throw 7; }), ::testing::ExitedWithCode(156), "");
}

TEST(JobsGuard, OutsideACommandTheJobRunsUnguarded) {
    ASSERT_FALSE(g_inCommand.load());
    ThrowingJob throwing;
    EXPECT_THROW(RunTCXCallbackGuarded(0, throwing), std::runtime_error);
}

TEST(JobsGuard, JobObjectsCallTheirTargetsWithTheArgument) {
    struct Target {
        void Take(intptr_t argument) { taken = argument; }
        intptr_t taken = 0;
    } target;
    TCXCallbackCPPVoidPtr<Target> member(&target, &Target::Take);
    EXPECT_EQ(RunTCXCallbackGuarded(-7, member), 0);
    EXPECT_EQ(target.taken, -7);

    TCXCallbackCIntPtr function(
        [](intptr_t argument) { return static_cast<int32_t>(argument * 2); });
    EXPECT_EQ(RunTCXCallbackGuarded(21, function), 42);
    TCXCallbackBase base;
    EXPECT_EQ(RunTCXCallbackGuarded(21, base), -1);
}

} // namespace
