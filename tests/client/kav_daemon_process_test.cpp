// The daemon link against the real stand-in daemon process: the client launches
// bin/kavdaemon from a private installation tree when none runs, finds it through the
// discovery block, and fails (never hangs) when the daemon is killed.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "client/kav/kav_client.h"
#include "client/kav/kav_daemon_launch.h"
#include "client/kav/kav_ipc.h"
#include "client/kav/kav_user_data.h"
#include "client/net/net_startup.h"
#include "foundation/streams/buffer_stream.h"
#include "kav_test_installation.h"

namespace {

namespace fs = std::filesystem;

// The ids of the live processes running this program file.
std::vector<pid_t> ProcessesRunning(const fs::path& program) {
    std::vector<pid_t> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code ignored;
        fs::path exe = fs::read_symlink(entry.path() / "exe", ignored);
        if (!ignored && exe == program) found.push_back(std::stoi(name));
    }
    return found;
}

bool KeepAlive() {
    BufferStream request;
    BufferStream reply;
    return KAVClient::Transact(0, request.Stream(), reply.Stream(), nullptr, nullptr, false);
}

class KAVDaemonProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(install_.Ok());
        fs::create_directories(install_.Path("bin"));
        fs::copy_file(fs::path(KODRIN_DIST) / "bin" / "kavdaemon", Daemon());
        ASSERT_TRUE(KAVUserData::SetInstallPath(Kiv::File::Path(install_.Install().c_str())));
        KAVUserData::CreateFolders();
        KAVClient::ResetEnvironment();
        KAVStartSchedule::SetWaitMs(50);
        NetStartup();
    }

    void TearDown() override {
        KAVClient::Shutdown();
        for (pid_t pid : ProcessesRunning(Daemon())) kill(pid, SIGKILL);
        WaitUntilGone();
        KAVStartSchedule::Reset();
        KAVUserData::ReleaseDatabases();
        KAVUserData::Clear();
        NetShutdown();
    }

    fs::path Daemon() const { return fs::path(install_.Path("bin/kavdaemon")); }

    bool WaitUntilGone() {
        for (int i = 0; i < 200; ++i) {
            if (ProcessesRunning(Daemon()).empty()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    KavTestInstallation install_;
};

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
