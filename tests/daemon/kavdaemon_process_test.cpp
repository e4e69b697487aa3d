// The built bin/kavdaemon as a process, in a private copy of the installation tree and a
// private IPC folder: it publishes its port, ends after request 270, after its idle time or
// on SIGTERM, clearing the block each time, and a second one stands down. Every test kills
// and reaps its daemons in clean-up.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "daemon_test_support.h"
#include "engine/temp_folder.h"

namespace {

using namespace daemon_test;
namespace fs = std::filesystem;

constexpr int kNotEnded = -2;

class KavdaemonProcessTest : public ::testing::Test {
protected:
    KavdaemonProcessTest() {
        folder_.MakeFolder("inst/bin");
        folder_.MakeFolder("inst/UserData");
        folder_.MakeFolder("ipc");
        fs::copy_file(fs::path(KODRIN_DIST) / "bin" / "kavdaemon", Daemon());
        // The database path as the client writes it for this installation.
        std::string install = fs::canonical(folder_.Path("inst")).string();
        for (char& c : install) c = c == '/' ? '\\' : c;
        databasePath_ = install + "\\UserData\\assets.tdx";
    }
    ~KavdaemonProcessTest() override {
        for (pid_t pid : running_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    std::string Daemon() const { return folder_.Path("inst/bin/kavdaemon"); }
    std::string RecordPath() const { return folder_.Path("record.txt"); }
    std::string ErrorsPath() const { return folder_.Path("errors.txt"); }

    pid_t Launch(const std::string& idleMs, std::vector<std::string> arguments = {},
                 const std::string& script = "") {
        std::vector<std::string> environment = {
            "KODRIN_IPC_DIR=" + folder_.Path("ipc"), "KAVDAEMON_RECORD=" + RecordPath(),
            "KAVDAEMON_IDLE_MS=" + idleMs, "KAVDAEMON_SCRIPT=" + script};
        arguments.insert(arguments.begin(), Daemon());
        std::vector<char*> argv, envp;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        for (std::string& variable : environment) envp.push_back(variable.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string bin = folder_.Path("inst/bin");
        posix_spawn_file_actions_addchdir_np(&actions, bin.c_str());
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        const std::string errors = ErrorsPath();
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return 0;
        running_.push_back(pid);
        return pid;
    }

    // The exit status a parent sees, or kNotEnded when the process still runs after 10 s.
    int WaitForEnd(pid_t pid) {
        for (int i = 0; i < 2000; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                std::erase(running_, pid);
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return kNotEnded;
    }

    BlockFields Block() const { return ReadBlockFile(folder_.Path("ipc"), databasePath_); }

    // The port once the daemon has published it (0 after 5 s).
    int32_t WaitForPort() const {
        for (int i = 0; i < 1000; ++i) {
            if (const int32_t port = Block().port) return port;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return 0;
    }

    TempFolder folder_;
    std::string databasePath_;
    std::vector<pid_t> running_;
};

TEST_F(KavdaemonProcessTest, CloseRequestEndsTheProcessAndClearsTheBlock) {
    const pid_t pid = Launch("0");
    ASSERT_GT(pid, 0);
    const int32_t port = WaitForPort();
    ASSERT_NE(port, 0);
    EXPECT_EQ(Block().owner, pid);

    RawClient client(port);
    EXPECT_EQ(client.Handshake(databasePath_), kHandshakeReply);
    EXPECT_EQ(client.Transact(270, 1, ""), ReplyFrame(1, ""));
    EXPECT_TRUE(client.SeesEnd());
    EXPECT_EQ(WaitForEnd(pid), 0);

    const BlockFields ended = Block();
    EXPECT_EQ(ended.owner, -1);
    EXPECT_EQ(ended.port, 0);
    EXPECT_EQ(ended.holder, -1);
    EXPECT_EQ(ReadLines(RecordPath()).back(), "end reason=close-request");
}

TEST_F(KavdaemonProcessTest, IdleTimeEndsTheProcess) {
    const pid_t pid = Launch("100");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitForEnd(pid), 0);
    EXPECT_EQ(Block().owner, -1);
    EXPECT_EQ(Block().port, 0);
    EXPECT_EQ(ReadLines(RecordPath()).back(), "end reason=idle");
}

TEST_F(KavdaemonProcessTest, TerminationSignalClearsTheBlock) {
    const pid_t pid = Launch("0");
    ASSERT_GT(pid, 0);
    ASSERT_NE(WaitForPort(), 0);
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitForEnd(pid), 0);
    EXPECT_EQ(Block().owner, -1);
    EXPECT_EQ(Block().port, 0);
}

TEST_F(KavdaemonProcessTest, SecondDaemonStandsDown) {
    const pid_t first = Launch("0");
    ASSERT_GT(first, 0);
    const int32_t port = WaitForPort();
    ASSERT_NE(port, 0);

    const pid_t second = Launch("0");
    ASSERT_GT(second, 0);
    EXPECT_EQ(WaitForEnd(second), 0);
    EXPECT_EQ(Block().owner, first);
    EXPECT_EQ(Block().port, port);
    RawClient client(port);
    EXPECT_EQ(client.Handshake(databasePath_), kHandshakeReply);
}

TEST_F(KavdaemonProcessTest, AScriptSetsReplies) {
    folder_.WriteFile("script.txt", "requests\n{\n  0\n  {\n    request 58\n"
                                    "    reply \"0200000001000000\"\n  }\n}\n");
    const pid_t pid = Launch("0", {}, folder_.Path("script.txt"));
    ASSERT_GT(pid, 0);
    const int32_t port = WaitForPort();
    ASSERT_NE(port, 0);
    RawClient client(port);
    EXPECT_EQ(client.Handshake(databasePath_), kHandshakeReply);
    EXPECT_EQ(client.Transact(58, 3, "", 8), ReplyFrame(3, Le32(2) + Le32(1)));
}

TEST_F(KavdaemonProcessTest, WrongSettingsEndWithStatusOne) {
    const struct {
        std::string idleMs;
        std::vector<std::string> arguments;
    } cases[] = {{"abc", {}},
                 {"0", {"--idle-ms", "-1"}},
                 {"0", {"--record"}},
                 {"0", {"-x", "1"}},
                 {"0", {"--script", "bad.txt"}}};
    folder_.WriteFile("inst/bin/bad.txt", "requests\n{\n  0\n  {\n    reply \"00\"\n  }\n}\n");
    for (const auto& c : cases) {
        const pid_t pid = Launch(c.idleMs, c.arguments);
        ASSERT_GT(pid, 0);
        EXPECT_EQ(WaitForEnd(pid), 1);
    }
    EXPECT_EQ(Block().port, 0);
    const std::vector<std::string> errors = ReadLines(ErrorsPath());
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "kavdaemon: idle time is not a number of milliseconds: abc",
                          "kavdaemon: idle time is not a number of milliseconds: -1",
                          "kavdaemon: missing value after --record",
                          "kavdaemon: unknown argument: -x",
                          "kavdaemon: requests/0: \"request\" is missing"}));
}

}  // namespace
