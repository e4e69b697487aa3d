// A second client process (kav_client_probe) in the same installation and IPC folder finds
// the daemon that this process's client launched, through the discovery block, is answered
// by it and launches no daemon of its own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "link/kav/kav_client.h"
#include "link/kav/kav_ipc.h"
#include "link/kav/kav_user_data.h"
#include "foundation/streams/buffer_stream.h"
#include "kav_daemon_process_support.h"
#include "kav_daemon_record.h"

namespace {

bool KeepAlive() {
    BufferStream request;
    BufferStream reply;
    return KAVClient::Transact(0, request.Stream(), reply.Stream());
}

struct ProbeRun {
    int status = -1;  // the exit status; -1 when it did not end within the bound
    std::string output;
};

// Runs the probe in the installation, with this process's environment, 100 ms between its
// connection attempts; it is killed when it does not end within the bound.
ProbeRun RunProbe(const std::string& install, const std::string& outputPath) {
    std::vector<std::string> arguments = {KODRIN_CLIENT_PROBE, install, "100"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ProbeRun run;
    if (spawned != 0) return run;
    int status = 0;
    if (!WaitUntilWithinBound([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return run;
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(outputPath);
    std::getline(in, run.output);
    return run;
}

using KAVSecondClientTest = KAVDaemonProcessFixture;

TEST_F(KAVSecondClientTest, ASecondClientProcessFindsTheRunningDaemon) {
    const std::string recordPath = install_.Root() + "/record.txt";
    ScopedVariable record("KAVDAEMON_RECORD", recordPath);
    KAVClientStartOptions options;
    options.relaunch = false;
    ASSERT_TRUE(KAVClient::Start(options));
    ASSERT_TRUE(KeepAlive());
    const std::vector<pid_t> daemons = ProcessesRunning(Daemon());
    ASSERT_EQ(daemons.size(), 1u);
    const int32_t port = KAVIpc::Process().LookUpDaemonPort(KAVUserData::GetDatabasePath());
    ASSERT_GT(port, 0);

    const std::string expected = "launches=0 pid=" + std::to_string(daemons.front()) +
                                 " port=" + std::to_string(port) + " request=ok";
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const ProbeRun probe = RunProbe(install_.Install(), install_.Root() + "/probe.txt");
        EXPECT_EQ(probe.status, 0);
        EXPECT_EQ(probe.output, expected);
    }
    EXPECT_EQ(ProcessesRunning(Daemon()), daemons);
    EXPECT_TRUE(KeepAlive());

    // One daemon listened; three clients greeted it and each was answered.
    EXPECT_TRUE(
        WaitUntilWithinBound([&] { return CountRecordLines(recordPath, "reply 3 tid=") == 1; }));
    EXPECT_EQ(CountRecordLines(recordPath, "listen "), 1u);
    EXPECT_EQ(CountRecordLines(recordPath, "listen port=" + std::to_string(port)), 1u);
    EXPECT_EQ(CountRecordLines(recordPath, "handshake "), 3u);
    EXPECT_EQ(CountRecordLines(recordPath, "reply 2 tid="), 1u);
}

}  // namespace
