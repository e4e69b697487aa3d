// Launching the daemon and the start schedule. The schedule's order (attempt 0 at once,
// one launch, ten waits) is checked with counting hooks; a missing daemon ends in failure
// with nothing left running or attached; a stand-in daemon (fake_kavdaemon, built with
// the tests) started from <installation>/bin publishes a port that accepts connections,
// runs in its own session in its bin folder with /dev/null handles and none of ours, and
// is stopped again by the test.
#include "link/kav/kav_daemon_launch.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "link/kav/kav_ipc.h"
#include "link/kav/kav_user_data.h"
#include "engine/thread.h"
#include "kav_test_installation.h"

namespace {

namespace fs = std::filesystem;

// The direct children of this process, from every thread's list.
std::set<int> Children() {
    std::set<int> children;
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream in(task.path() / "children");
        for (int pid = 0; in >> pid;)
            children.insert(pid);
    }
    return children;
}

std::string LinkTarget(const std::string& path) {
    std::error_code error;
    const fs::path target = fs::read_symlink(path, error);
    return error ? std::string() : target.string();
}

bool ConnectsTo(int32_t port) {
    const int handle = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected =
        connect(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(handle);
    return connected;
}

// Stops a started process at the end of the test, whatever happened in it.
class StartedProcess {
  public:
    ~StartedProcess() { Stop(); }
    void Set(uint32_t pid) { pid_ = static_cast<int32_t>(pid); }
    int32_t Pid() const { return pid_; }
    // SIGTERM, then waits (at most 10 s) until the process is gone; true when it is.
    bool Stop() {
        if (pid_ <= 0) return true;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 1000 && Kiv::Thread::IsProcessAlive(pid_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        const bool gone = !Kiv::Thread::IsProcessAlive(pid_);
        if (!gone) kill(pid_, SIGKILL);
        pid_ = 0;
        return gone;
    }

  private:
    int32_t pid_ = 0;
};

class KAVLaunchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(installation_.Ok());
        ASSERT_TRUE(KAVUserData::SetInstallPath(installation_.Install().c_str()));
        KAVUserData::CreateFolders();
    }
    void TearDown() override {
        KAVStartSchedule::Reset();
        KAVUserData::ReleaseDatabases();
        KAVUserData::Clear();
    }

    KavTestInstallation installation_;
};

TEST(KAVStartSchedule, LaunchesOnceAndWaitsBeforeEveryLaterAttempt) {
    const struct {
        int succeedAt; // -1: never
        bool result;
        int attempts;
        int launches;
        size_t waits;
    } cases[] = {
        {0, true, 1, 0, 0},    {1, true, 2, 1, 1},     {5, true, 6, 1, 5},
        {10, true, 11, 1, 10}, {-1, false, 11, 1, 10},
    };
    for (const auto& c : cases) {
        int attempts = 0;
        int launches = 0;
        int launchedBeforeAttempt = -1;
        std::vector<int64_t> waits;
        const bool result = KAVStartSchedule::Run([&] { return attempts++ == c.succeedAt; },
                                                  [&] {
                                                      ++launches;
                                                      launchedBeforeAttempt = attempts;
                                                  },
                                                  [&](int64_t ms) { waits.push_back(ms); });
        EXPECT_EQ(result, c.result) << c.succeedAt;
        EXPECT_EQ(attempts, c.attempts) << c.succeedAt;
        EXPECT_EQ(launches, c.launches) << c.succeedAt;
        EXPECT_EQ(launchedBeforeAttempt, c.launches ? 1 : -1) << c.succeedAt;
        EXPECT_EQ(waits, std::vector<int64_t>(c.waits, 1000)) << c.succeedAt;
    }
}

// Each attempt's outcome by a letter: 'n' nothing listening, 's' a daemon that accepted and
// never answered its handshake, 'c' connected. After a silent daemon the schedule asks once
// more, whatever that attempt meets, and no further.
TEST(KAVStartSchedule, ADaemonThatStaysSilentIsAskedOnceMore) {
    const struct {
        std::string outcomes;  // of the attempts made, in order
        bool result;
    } cases[] = {
        {"ss", false},
        {"sc", true},
        {"sn", false},
        {"nnnss", false},
        {"nsn", false},
        {"nnnnnnnnnnn", false},
    };
    for (const auto& c : cases) {
        size_t attempts = 0;
        bool silent = false;
        const bool result = KAVStartSchedule::Run(
            [&] {
                const char outcome = attempts < c.outcomes.size() ? c.outcomes[attempts] : 'n';
                ++attempts;
                silent = outcome == 's';
                return outcome == 'c';
            },
            [] {}, [](int64_t) {}, [&] { return silent; });
        EXPECT_EQ(result, c.result) << c.outcomes;
        EXPECT_EQ(attempts, c.outcomes.size()) << c.outcomes;
    }
}

TEST_F(KAVLaunchTest, DaemonPathIsTheInstallationsBinProgram) {
    EXPECT_EQ(KAVDaemonLauncher::Launch(Kiv::File::Path()), 0u);
    KAVUserData::Clear();
    EXPECT_EQ(KAVDaemonLauncher::Launch(), 0u);
}

TEST_F(KAVLaunchTest, MissingDaemonEndsInFailureWithNothingLeft) {
    const std::set<int> childrenBefore = Children();
    KAVIpc ipc;
    int attempts = 0;
    int launches = 0;
    uint32_t launched = 1;
    int waits = 0;
    const bool started = KAVStartSchedule::Run(
        [&] {
            ++attempts;
            return ipc.LookUpDaemonPort(KAVUserData::GetDatabasePath()) != 0;
        },
        [&] {
            ++launches;
            launched = KAVDaemonLauncher::Launch();
        },
        [&](int64_t) { ++waits; });
    EXPECT_FALSE(started);
    EXPECT_EQ(attempts, 11);
    EXPECT_EQ(launches, 1);
    EXPECT_EQ(waits, 10);
    EXPECT_EQ(launched, 0u);
    EXPECT_EQ(Children(), childrenBefore);
    EXPECT_FALSE(ipc.IsAttached());

    // Nobody holds the block any more: a new party finds itself alone.
    KAVDiscoveryNames names;
    ASSERT_TRUE(BuildDiscoveryNames(KAVUserData::GetDatabasePath().View(), names));
    KAVDiscoveryObjects party;
    EXPECT_EQ(party.Open(names), KAVDiscoveryObjects::Join::kNew);
    party.Unlock();
}

TEST_F(KAVLaunchTest, StartedDaemonIsFoundThroughTheBlockAndRunsDetached) {
    fs::create_directories(installation_.Path("bin"));
    fs::copy_file(KODRIN_FAKE_DAEMON, installation_.Path("bin/kavdaemon"));
    int inherited[2];
    ASSERT_EQ(pipe(inherited), 0); // deliberately not close-on-exec

    KAVStartSchedule::SetWaitMs(100);
    StartedProcess daemon;
    KAVIpc ipc;
    int32_t port = 0;
    const bool started = KAVStartSchedule::Run(
        [&] { return (port = ipc.LookUpDaemonPort(KAVUserData::GetDatabasePath())) != 0; },
        [&] { daemon.Set(KAVDaemonLauncher::Launch()); });
    const std::string pipeTarget = LinkTarget("/proc/self/fd/" + std::to_string(inherited[0]));
    close(inherited[0]);
    close(inherited[1]);
    ASSERT_TRUE(started);
    ASSERT_GT(daemon.Pid(), 0);
    EXPECT_TRUE(ConnectsTo(port));

    const std::string proc = "/proc/" + std::to_string(daemon.Pid());
    EXPECT_EQ(LinkTarget(proc + "/cwd"), installation_.Path("bin"));
    EXPECT_EQ(getsid(daemon.Pid()), daemon.Pid());
    for (int fd = 0; fd <= 2; ++fd) {
        EXPECT_EQ(LinkTarget(proc + "/fd/" + std::to_string(fd)), "/dev/null") << fd;
    }
    for (const auto& fd : fs::directory_iterator(proc + "/fd")) {
        EXPECT_NE(LinkTarget(fd.path().string()), pipeTarget) << fd.path();
    }

    // The daemon owns the database; its port is for everyone else.
    ASSERT_TRUE(ipc.Attach(KAVUserData::GetDatabasePath()));
    EXPECT_FALSE(ipc.IsDatabaseOwner());
    EXPECT_EQ(ipc.GetDaemonPort(), port);
    ipc.Detach();

    ASSERT_TRUE(daemon.Stop());
    EXPECT_EQ(ipc.LookUpDaemonPort(KAVUserData::GetDatabasePath()), 0);
}

} // namespace
