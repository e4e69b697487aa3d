// The daemon's part in the discovery block, read back through the shared block code: it
// publishes its process id as owner and its port, one daemon per database, and clears both
// when it ends.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "daemon/daemon_server.h"
#include "daemon_test_support.h"
#include "engine/temp_folder.h"

namespace {

using namespace daemon_test;

constexpr const char* kDatabasePath = "\\Inst\\UserData\\assets.tdx";

class DaemonDiscoveryTest : public ::testing::Test {
protected:
    DaemonDiscoveryTest() {
        setenv("KODRIN_IPC_DIR", folder_.Path("ipc").c_str(), 1);
        options_.databasePath = kDatabasePath;
        options_.idleTime = std::chrono::milliseconds(0);
    }
    ~DaemonDiscoveryTest() override { unsetenv("KODRIN_IPC_DIR"); }

    // The block's file, read by hand: nine little-endian int32.
    BlockFields ReadBlock() const { return ReadBlockFile(folder_.Path("ipc"), kDatabasePath); }

    TempFolder folder_;
    DaemonOptions options_;
};

TEST_F(DaemonDiscoveryTest, PublishesOwnerAndPortAndClearsThemAtTheEnd) {
    DaemonServer server(options_);
    ASSERT_EQ(server.Start(), DaemonStart::kStarted);
    const BlockFields running = ReadBlock();
    EXPECT_EQ(running.holder, getpid());
    EXPECT_EQ(running.owner, getpid());
    EXPECT_EQ(running.version, 3);
    EXPECT_EQ(running.port, server.Port());

    // The published port is the one that answers the handshake.
    RawClient client(running.port);
    EXPECT_EQ(client.Handshake(), kHandshakeReply);

    server.Stop();
    const BlockFields ended = ReadBlock();
    EXPECT_EQ(ended.owner, -1);
    EXPECT_EQ(ended.port, 0);
    EXPECT_NE(ended.holder, getpid());
}

TEST_F(DaemonDiscoveryTest, OneDaemonPerDatabase) {
    auto first = std::make_unique<DaemonServer>(options_);
    ASSERT_EQ(first->Start(), DaemonStart::kStarted);
    const int32_t port = first->Port();

    DaemonServer second(options_);
    EXPECT_EQ(second.Start(), DaemonStart::kOtherDaemon);
    EXPECT_EQ(ReadBlock().port, port);

    // Another database is served by another daemon.
    DaemonOptions elsewhere = options_;
    elsewhere.databasePath = "\\Other\\UserData\\assets.tdx";
    DaemonServer third(elsewhere);
    EXPECT_EQ(third.Start(), DaemonStart::kStarted);

    first.reset();
    DaemonServer fourth(options_);
    ASSERT_EQ(fourth.Start(), DaemonStart::kStarted);
    EXPECT_EQ(ReadBlock().port, fourth.Port());
}

TEST_F(DaemonDiscoveryTest, RefusesAPathThatNamesNoDatabase) {
    options_.databasePath = "\\Inst\\UserData\\other.tdx";
    DaemonServer server(options_);
    EXPECT_EQ(server.Start(), DaemonStart::kFailed);
}

}  // namespace
