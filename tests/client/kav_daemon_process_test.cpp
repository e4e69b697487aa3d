// The daemon link against the real stand-in daemon process: the client launches
// bin/kavdaemon from a private installation tree when none runs, finds it through the
// discovery block, and fails (never hangs) when the daemon is killed.
#include <gtest/gtest.h>

#include <signal.h>

#include <vector>

#include "link/kav/kav_client.h"
#include "link/kav/kav_ipc.h"
#include "link/kav/kav_user_data.h"
#include "foundation/streams/buffer_stream.h"
#include "kav_daemon_process_support.h"

namespace {

bool KeepAlive() {
    BufferStream request;
    BufferStream reply;
    return KAVClient::Transact(0, request.Stream(), reply.Stream(), nullptr, nullptr, false);
}

using KAVDaemonProcessTest = KAVDaemonProcessFixture;

TEST_F(KAVDaemonProcessTest, LaunchesOnceAndASecondStartFindsTheSameDaemon) {
    ASSERT_TRUE(ProcessesRunning(Daemon()).empty());
    KAVClientStartOptions options;
    options.relaunch = false;
    ASSERT_TRUE(KAVClient::Start(options));
    EXPECT_TRUE(KeepAlive());
    std::vector<pid_t> first = ProcessesRunning(Daemon());
    ASSERT_EQ(first.size(), 1u);
    int32_t port = KAVIpc::Process().LookUpDaemonPort(KAVUserData::GetDatabasePath());
    EXPECT_GT(port, 0);

    KAVClient::Shutdown();
    ASSERT_TRUE(KAVClient::Start(options));
    EXPECT_TRUE(KeepAlive());
    EXPECT_EQ(ProcessesRunning(Daemon()), first);
    EXPECT_EQ(KAVIpc::Process().LookUpDaemonPort(KAVUserData::GetDatabasePath()), port);

    KAVClient::CloseDaemon();
    EXPECT_TRUE(WaitUntilGone());
}

TEST_F(KAVDaemonProcessTest, AKilledDaemonFailsTheNextRequestWithoutHanging) {
    KAVClientStartOptions options;
    options.relaunch = false;
    ASSERT_TRUE(KAVClient::Start(options));
    ASSERT_TRUE(KeepAlive());
    for (pid_t pid : ProcessesRunning(Daemon())) kill(pid, SIGKILL);
    ASSERT_TRUE(WaitUntilGone());

    EXPECT_FALSE(KeepAlive());
    EXPECT_FALSE(KeepAlive());  // no daemon to reconnect to, and no relaunch
    EXPECT_TRUE(ProcessesRunning(Daemon()).empty());
}

}  // namespace
