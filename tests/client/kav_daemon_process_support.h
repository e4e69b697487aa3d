// The fixture of the tests that run the real stand-in daemon process: a private
// installation tree (kav_test_installation.h) with a copy of bin/kavdaemon, the client's
// user-data folders set to it, and a short start schedule. TearDown shuts the client down
// and kills whatever still runs that copy of the daemon, so no test leaves a process behind.
#pragma once

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "link/kav/kav_client.h"
#include "link/kav/kav_daemon_launch.h"
#include "link/kav/kav_user_data.h"
#include "link/net/net_startup.h"
#include "kav_test_installation.h"

// The ids of the live processes running this program file (zombies have no program file).
inline std::vector<pid_t> ProcessesRunning(const std::filesystem::path& program) {
    std::vector<pid_t> found;
    std::error_code error;
    for (const std::filesystem::directory_entry& entry :
         std::filesystem::directory_iterator("/proc", error)) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code ignored;
        std::filesystem::path exe = std::filesystem::read_symlink(entry.path() / "exe", ignored);
        if (!ignored && exe == program) found.push_back(std::stoi(name));
    }
    return found;
}

class KAVDaemonProcessFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(install_.Ok());
        std::filesystem::create_directories(install_.Path("bin"));
        std::filesystem::copy_file(std::filesystem::path(KODRIN_DIST) / "bin" / "kavdaemon",
                                   Daemon());
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

    std::filesystem::path Daemon() const {
        return std::filesystem::path(install_.Path("bin/kavdaemon"));
    }

    // Waits up to 5 s for every process of this daemon copy to end.
    bool WaitUntilGone() {
        for (int i = 0; i < 200; ++i) {
            if (ProcessesRunning(Daemon()).empty()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    KavTestInstallation install_;
};
