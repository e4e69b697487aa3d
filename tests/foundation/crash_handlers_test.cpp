// The command host's crash handlers in death tests: console control signals while the host
// loop runs (Ctrl+C only asks the loop to stop, a shut-down waits for the loop to end) and
// after ResetCrashHandlers (the signal's default ending, without a report), and the exit
// hook's report while the handlers are installed.
#include "foundation/crash/crash_handlers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "crash_test_folder.h"

namespace {

// Waits (bounded) until the child's own output holds the text.
void AwaitOutput(const CrashTestFolder& folder, const std::string& text) {
    for (int tick = 0; tick < 1000; ++tick) {
        if (folder.ReadFile("out.txt").find(text) != std::string::npos) return;
        usleep(10 * 1000);
    }
    _exit(92);
}

TEST(CrashHandlersDeathTest, AfterResetAConsoleCloseEndsTheProcessWithoutAReport) {
    CrashTestFolder folder;
    auto body = [&folder] {
        folder.EnterAsChild();
        InstallCrashHandlers(false);
        ResetCrashHandlers();
        kill(getpid(), SIGHUP);
        AwaitTheEnd();
    };
    EXPECT_EXIT(body(), testing::KilledBySignal(SIGHUP), "");
    EXPECT_EQ(folder.ReadFile("out.txt"), "Console Window event handler called for CtrlType=2\n");
    EXPECT_TRUE(folder.Reports().empty());
}

TEST(CrashHandlersDeathTest, ConsoleEventsDuringTheHostLoop) {
    CrashTestFolder folder;
    auto body = [&folder] {
        folder.EnterAsChild();
        InstallCrashHandlers(false);
        if (IsConsoleCloseRequested()) _exit(93);
        kill(getpid(), SIGINT);
        AwaitOutput(folder, "CtrlType=0\n");
        for (int tick = 0; tick < 1000 && !IsConsoleCloseRequested(); ++tick) usleep(1000);
        if (!IsConsoleCloseRequested()) _exit(94);
        // The shut-down's handler holds the signal thread until the loop ends, so the close
        // behind it is only seen after ResetCrashHandlers, and then ends the process.
        kill(getpid(), SIGTERM);
        AwaitOutput(folder, "CtrlType=6\n");
        kill(getpid(), SIGHUP);
        ResetCrashHandlers();
        AwaitTheEnd();
    };
    EXPECT_EXIT(body(), testing::KilledBySignal(SIGHUP), "");
    EXPECT_EQ(folder.ReadFile("out.txt"),
              "Console Window event handler called for CtrlType=0\n"
              "Console Window event handler called for CtrlType=6\n"
              "Console Window event handler called for CtrlType=2\n");
    EXPECT_TRUE(folder.Reports().empty());
}

TEST(CrashHandlersDeathTest, AnExitWhileInstalledLeavesAReport) {
    static constexpr int kStatus = 3;
    struct Case {
        bool reset;
        size_t reports;
    } cases[] = {{false, 1}, {true, 0}};
    for (const Case& c : cases) {
        CrashTestFolder folder;
        auto body = [&folder, &c] {
            folder.EnterAsChild();
            // The forked child holds copies of what earlier tests left in this process (a
            // job queue whose workers did not come along, say); their destructors would
            // wait for threads that do not exist here. The exit hooks registered after this
            // one, the crash handlers' among them, still run first.
            std::atexit([] { _exit(kStatus); });
            InstallCrashHandlers(false);
            if (c.reset) ResetCrashHandlers();
            std::exit(kStatus);
        };
        EXPECT_EXIT(body(), testing::ExitedWithCode(kStatus), "");
        EXPECT_EQ(folder.Reports().size(), c.reports) << "reset " << c.reset;
    }
}

}  // namespace
