// Crash reports from genuine faults, in death tests: the guarded run's ending (-100, seen as
// 156) with nothing printed after the fault, without a report in an ordinary command and
// with one under the command host's handlers; the report's name and content, the next
// report as "_2", a stack overflow on a thread the program started, a console lock held by
// another thread, the ending by the signal itself when no exit code was set, and
// RaiseAccessViolation, which writes its report and returns.
#include "foundation/crash/crash_report.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <sstream>
#include <thread>

#include "crash_test_folder.h"
#include "engine/thread.h"
#include "foundation/console/console.h"
#include "foundation/console/console_lock.h"
#include "foundation/crash/crash_handlers.h"
#include "foundation/crash/fault_handlers.h"

namespace {

constexpr int kGuardedRunExit = -100;

// A genuine write fault on a page without access; prints the page's address first when
// asked to.
[[gnu::noinline]] void WriteToGuardPage(bool printAddress) {
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    char address[32];
    std::snprintf(address, sizeof address, "0x%" PRIxPTR, reinterpret_cast<uintptr_t>(page));
    if (printAddress) WriteConsoleText(address);
    *static_cast<volatile int*>(page) = 1;
}

// What the guarded run of a command does, with a command that faults; under the command
// host's handlers when asked (a report is written then).
[[noreturn]] void RunFaultingCommand(bool printAddress = true, bool commandHost = true) {
    if (commandHost) InstallCrashHandlers(false);
    SetFaultExitCode(kGuardedRunExit);
    InstallFaultHandlers();
    WriteToGuardPage(printAddress);
    WriteConsoleText("after the fault");
    _exit(0);
}

volatile bool g_stopRecursion = false;

// Recurses until the thread's stack runs out.
[[gnu::noinline]] int OverflowTheStack(int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    if (g_stopRecursion) return frame[0];
    return OverflowTheStack(depth + 1) + frame[0];
}

uint32_t OverflowingEntry(void*) { return static_cast<uint32_t>(OverflowTheStack(0)); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(CrashReportDeathTest, FaultInAnOrdinaryCommandEndsWithMinus100WithoutAReport) {
    CrashTestFolder folder;
    EXPECT_EXIT((folder.EnterAsChild(), RunFaultingCommand(true, false)),
                testing::ExitedWithCode(156), "");
    EXPECT_EQ(Lines(folder.ReadFile("out.txt")).size(), 1u) << "nothing after the fault";
    EXPECT_TRUE(folder.Reports().empty());
}

TEST(CrashReportDeathTest, FaultInACommandOfTheHostWritesTheReportAndEndsWithMinus100) {
    CrashTestFolder folder;
    EXPECT_EXIT((folder.EnterAsChild(), RunFaultingCommand()), testing::ExitedWithCode(156), "");
    std::vector<std::string> out = Lines(folder.ReadFile("out.txt"));
    ASSERT_EQ(out.size(), 1u) << "nothing may be printed after the fault";
    ASSERT_EQ(folder.Reports(), std::vector<std::string>{"Kodrin-49933.dmp"});

    std::vector<std::string> report = Lines(folder.ReadFile("Kodrin-49933.dmp"));
    ASSERT_GE(report.size(), 8u);
    EXPECT_EQ(report[0], "KodrinUtil crash report, build 49933");
    EXPECT_EQ(report[1], "signal: 11 SIGSEGV (segmentation fault)");
    EXPECT_EQ(report[2], "code: 2");  // SEGV_ACCERR: the page exists without access
    EXPECT_EQ(report[3], "address: " + out[0]);
    ASSERT_EQ(report[4].rfind("process: ", 0), 0u);
    EXPECT_EQ(report[5], "thread: " + report[4].substr(9)) << "the child's main thread faulted";
    EXPECT_EQ(report[6], "backtrace:");
    auto map = std::find(report.begin(), report.end(), "memory map:");
    ASSERT_NE(map, report.end());
    // Frames of this program, in the form "<module>(<symbol>+<offset>)[<address>]".
    EXPECT_TRUE(std::any_of(report.begin() + 7, map, [](const std::string& line) {
        return line.find("test_foundation(") != std::string::npos &&
               line.find(")[0x") != std::string::npos;
    }));
    EXPECT_TRUE(std::any_of(map, report.end(), [](const std::string& line) {
        return line.find("[stack]") != std::string::npos;
    }));

    EXPECT_EXIT((folder.EnterAsChild(), RunFaultingCommand()), testing::ExitedWithCode(156), "");
    EXPECT_EQ(folder.Reports(),
              (std::vector<std::string>{"Kodrin-49933.dmp", "Kodrin-49933_2.dmp"}));
}

// Not killed by the signal of a fault its handler could not run for: the thread has its own
// signal stack.
TEST(CrashReportDeathTest, StackOverflowOnAThreadOfTheProgramEndsWithMinus100) {
    for (bool commandHost : {false, true}) {
        CrashTestFolder folder;
        auto body = [&folder, commandHost] {
            folder.EnterAsChild();
            if (commandHost) InstallCrashHandlers(false);
            SetFaultExitCode(kGuardedRunExit);
            InstallFaultHandlers();
            Kiv::Thread thread(OverflowingEntry, nullptr);
            thread.Wait();
            _exit(0);
        };
        EXPECT_EXIT(body(), testing::ExitedWithCode(156), "") << commandHost;
        if (!commandHost) {
            EXPECT_TRUE(folder.Reports().empty());
            continue;
        }
        ASSERT_EQ(folder.Reports(), std::vector<std::string>{"Kodrin-49933.dmp"});
        std::vector<std::string> report = Lines(folder.ReadFile("Kodrin-49933.dmp"));
        ASSERT_GE(report.size(), 6u);
        EXPECT_EQ(report[1], "signal: 11 SIGSEGV (segmentation fault)");
        ASSERT_EQ(report[4].rfind("process: ", 0), 0u);
        EXPECT_NE(report[5], "thread: " + report[4].substr(9)) << "the thread, not main";
    }
}

// A thread that died (or stopped) holding the console lock must not keep the process alive.
TEST(CrashReportDeathTest, ConsoleLockHeldElsewhereDoesNotHangTheCrash) {
    CrashTestFolder folder;
    auto body = [&folder] {
        folder.EnterAsChild();
        std::atomic<bool> held{false};
        std::thread([&held] {
            ConsoleCriticalSection().lock();
            held.store(true);
            AwaitTheEnd();
        }).detach();
        while (!held.load()) usleep(1000);
        RunFaultingCommand(false);
    };
    EXPECT_EXIT(body(), testing::ExitedWithCode(156), "");
    EXPECT_EQ(folder.Reports(), std::vector<std::string>{"Kodrin-49933.dmp"});
}

// The command host's handlers alone: the report, then the fault's own default ending.
TEST(CrashReportDeathTest, WithoutAnExitCodeTheFaultSignalEndsTheProcess) {
    CrashTestFolder folder;
    auto body = [&folder] {
        folder.EnterAsChild();
        InstallCrashHandlers(false);
        WriteToGuardPage(false);
    };
    EXPECT_EXIT(body(), testing::KilledBySignal(SIGSEGV), "");
    EXPECT_EQ(folder.Reports(), std::vector<std::string>{"Kodrin-49933.dmp"});
}

TEST(CrashReportDeathTest, RaiseAccessViolationWritesOneReportAndReturns) {
    CrashTestFolder folder;
    auto body = [&folder] {
        folder.EnterAsChild();
        RaiseAccessViolation();
        RaiseAccessViolation();  // one report per process
        WriteConsoleText("went on");
        _exit(7);
    };
    EXPECT_EXIT(body(), testing::ExitedWithCode(7), "");
    EXPECT_EQ(folder.ReadFile("out.txt"), "went on\n");
    ASSERT_EQ(folder.Reports(), std::vector<std::string>{"Kodrin-49933.dmp"});
    std::vector<std::string> report = Lines(folder.ReadFile("Kodrin-49933.dmp"));
    EXPECT_TRUE(HasLine(report, "signal: 11 SIGSEGV (segmentation fault)"));
    EXPECT_TRUE(HasLine(report, "code: requested (the process went on)"));
    EXPECT_TRUE(HasLine(report, "address: 0x0"));
    EXPECT_TRUE(HasLine(report, "backtrace:"));
}

}  // namespace
