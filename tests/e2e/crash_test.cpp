// Crash handling of the installed tool: a fault signal that arrives while a command runs
// (here sent from outside while `echo` is blocked on a full output pipe, holding the
// console lock) ends the process with -100, seen as 156, printing nothing more and leaving
// no crash report in the program folder (reports are the command host's); a command that
// ends normally leaves none either.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> ReportsIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("Kodrin-", 0) == 0) names.push_back(name);
    }
    return names;
}

std::string ReadAll(int fd) {
    std::string bytes;
    char buffer[65536];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<size_t>(got));
    return bytes;
}

// The tool with its standard output on a pipe that nobody reads yet; killed and reaped when
// the test ends before it did.
struct BlockedTool {
    pid_t pid = -1;
    int out = -1;

    BlockedTool() = default;
    BlockedTool(const BlockedTool&) = delete;
    BlockedTool& operator=(const BlockedTool&) = delete;
    ~BlockedTool() {
        if (out >= 0) close(out);
        if (pid <= 0) return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
};

void SpawnWithUnreadOutput(const e2e::Installation& install, std::vector<std::string> args,
                           BlockedTool& child) {
    int outPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string tool = install.Tool().string();
    std::vector<char*> argv{tool.data()};
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = install.ChildEnvironment();
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    if (posix_spawn(&child.pid, tool.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    child.out = outPipe[0];
}

// True once the pipe is full, so the writer is blocked in the middle of its command.
bool AwaitFullPipe(int fd) {
    int capacity = fcntl(fd, F_GETPIPE_SZ);
    for (int tick = 0; tick < 1000; ++tick) {
        int queued = 0;
        if (ioctl(fd, FIONREAD, &queued) == 0 && queued >= capacity) return true;
        usleep(10 * 1000);
    }
    return false;
}

TEST(CrashE2E, FaultDuringACommandEndsWith156WithoutAReport) {
    e2e::Installation install;
    std::string text(60000, 'x');
    BlockedTool tool;
    SpawnWithUnreadOutput(install, {"echo", text, text, text}, tool);
    ASSERT_GT(tool.pid, 0);
    ASSERT_TRUE(AwaitFullPipe(tool.out));
    ASSERT_EQ(kill(tool.pid, SIGSEGV), 0);
    std::string out = ReadAll(tool.out);
    close(tool.out);
    tool.out = -1;
    int status = 0;
    ASSERT_EQ(waitpid(tool.pid, &status, 0), tool.pid);
    tool.pid = -1;

    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 156);
    std::string line = text + " " + text + " " + text + " \n";
    EXPECT_LT(out.size(), line.size()) << "the echo line was never finished";
    EXPECT_EQ(line.compare(0, out.size(), out), 0) << "nothing but the cut line";

    EXPECT_TRUE(ReportsIn(install.Root()).empty());
}

TEST(CrashE2E, ACommandThatEndsNormallyLeavesNoReport) {
    e2e::Installation install;
    e2e::ToolResult result = install.Run({"version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(ReportsIn(install.Root()).empty());
}

}  // namespace
