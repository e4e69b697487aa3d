// Kiv::Thread: its own signal stack, suspended start, exit codes, IsDone as a stop request,
// Terminate, cancelled suspended threads, self-deletion, thread ids and process liveness;
// Kiv::Time.
#include "engine/thread.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <set>

#include "engine/signal_stack.h"
#include "engine/timing.h"

namespace {

uint32_t ReturnSeven(void* argument) {
    static_cast<std::atomic<int>*>(argument)->fetch_add(1);
    return 7;
}

uint32_t ReportSignalStack(void* argument) {
    stack_t stack{};
    sigaltstack(nullptr, &stack);
    *static_cast<stack_t*>(argument) = stack;
    return 0;
}

TEST(Thread, EveryThreadHasItsOwnSignalStack) {
    stack_t first{}, second{};
    Kiv::Thread one(ReportSignalStack, &first), two(ReportSignalStack, &second);
    ASSERT_TRUE(one.Wait());
    ASSERT_TRUE(two.Wait());
    for (const stack_t& stack : {first, second}) {
        EXPECT_EQ(stack.ss_flags & SS_DISABLE, 0);
        EXPECT_GE(stack.ss_size, Kiv::kAlternateSignalStackSize);
    }
}

TEST(Thread, SuspendedThreadRunsOnlyAfterResume) {
    std::atomic<int> runs{0};
    Kiv::Thread thread(ReturnSeven, &runs, true);
    ASSERT_TRUE(thread.StartedOk());
    EXPECT_FALSE(thread.Wait(20));
    EXPECT_EQ(runs.load(), 0);
    EXPECT_FALSE(thread.IsDone());
    thread.Resume();
    EXPECT_TRUE(thread.Wait());
    EXPECT_TRUE(thread.IsDone());
    EXPECT_EQ(runs.load(), 1);
    EXPECT_EQ(thread.GetExitCode(), 7u);
}

TEST(Thread, SuspendedThreadThatIsDestroyedOrTerminatedNeverRuns) {
    std::atomic<int> runs{0};
    { Kiv::Thread destroyed(ReturnSeven, &runs, true); }
    Kiv::Thread terminated(ReturnSeven, &runs, true);
    terminated.Terminate();
    terminated.Resume();
    EXPECT_TRUE(terminated.Wait(1000));
    EXPECT_EQ(runs.load(), 0);
}

struct Loop {
    Kiv::Thread* self = nullptr;
    std::atomic<bool> started{false};
};

uint32_t LoopUntilDone(void* argument) {
    auto* loop = static_cast<Loop*>(argument);
    loop->started = true;
    while (!loop->self->IsDone()) Kiv::Time::Delay(1);
    return 3;
}

TEST(Thread, TerminateAsksTheLoopToEndAndWaitsForIt) {
    Loop loop;
    Kiv::Thread thread(LoopUntilDone, &loop, true);
    loop.self = &thread;
    thread.Resume();
    while (!loop.started) Kiv::Time::Delay(1);
    EXPECT_FALSE(thread.Wait(10));
    thread.Terminate();
    EXPECT_TRUE(thread.Wait(0));
    EXPECT_EQ(thread.GetExitCode(), 3u);
}

struct SelfDeleting {
    Kiv::Thread* thread = nullptr;
    Kiv::WEvent deleted{true, false};
};

uint32_t DeleteSelf(void* argument) {
    auto* record = static_cast<SelfDeleting*>(argument);
    delete record->thread;
    record->deleted.Set();
    return 0;
}

TEST(Thread, AnEntryMayDeleteItsOwnThreadObject) {
    SelfDeleting record;
    record.thread = new Kiv::Thread(DeleteSelf, &record, true);
    record.thread->Resume();
    EXPECT_TRUE(record.deleted.Wait(2000));
    Kiv::Time::Delay(10);  // the thread's last steps touch only its shared state
}

uint32_t RecordId(void* argument) {
    *static_cast<uint32_t*>(argument) = Kiv::Thread::GetCurrentId();
    return 0;
}

TEST(Thread, IdsDifferBetweenLiveThreadsAndAreStableWithinOne) {
    uint32_t first = 0, second = 0;
    Kiv::Thread a(RecordId, &first, true), b(RecordId, &second, true);
    a.Resume();
    b.Resume();
    a.Wait();
    b.Wait();
    std::set<uint32_t> ids{first, second, Kiv::Thread::GetCurrentId()};
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_EQ(Kiv::Thread::GetCurrentId(), Kiv::Thread::GetCurrentId());
    EXPECT_EQ(Kiv::Thread::GetCurrentId(), static_cast<uint32_t>(gettid()));
}

TEST(Thread, ProcessLiveness) {
    EXPECT_EQ(Kiv::Thread::GetProcessId(), getpid());
    EXPECT_TRUE(Kiv::Thread::IsProcessAlive(Kiv::Thread::GetProcessId()));
    EXPECT_TRUE(Kiv::Thread::IsProcessAlive(1));  // exists, even when not ours to signal
    EXPECT_FALSE(Kiv::Thread::IsProcessAlive(0));
    EXPECT_FALSE(Kiv::Thread::IsProcessAlive(-1));
    pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(Kiv::Thread::IsProcessAlive(child));
}

TEST(Time, MillisecondsAndSecondsMoveForwardWithDelay) {
    int64_t startMs = Kiv::Time::Ms();
    double startSeconds = Kiv::Time::GetSeconds();
    Kiv::Time::Delay(15);
    EXPECT_GE(Kiv::Time::Ms() - startMs, 15);
    EXPECT_GE(Kiv::Time::GetSeconds() - startSeconds, 0.015);
    Kiv::Time::Delay(0);
    Kiv::Time::Delay(-5);
}

}  // namespace
