// Joining the discovery objects: the first party alone gets a new, zeroed block and owns
// the mutex; later parties join the same block; the block is new again once every party
// has closed. The files carry the names of ipc_names.h in the IPC folder.
#include "foundation/ipc/discovery_objects.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class DiscoveryObjectsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/discovery_objects_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        const char* previous = std::getenv("KODRIN_IPC_DIR");
        if (previous) previous_ = previous;
        hadPrevious_ = previous != nullptr;
        setenv("KODRIN_IPC_DIR", (root_ + "/ipc").c_str(), 1);
        ASSERT_TRUE(BuildDiscoveryNames("/Some/Install/UserData/assets.tdx", names_));
    }
    void TearDown() override {
        if (hadPrevious_)
            setenv("KODRIN_IPC_DIR", previous_.c_str(), 1);
        else
            unsetenv("KODRIN_IPC_DIR");
        std::filesystem::remove_all(root_);
    }

    std::string IpcFile(const std::string& name, const char* ending) const {
        return root_ + "/ipc/" + DiscoveryFileStem(name) + ending;
    }

    std::string root_;
    std::string previous_;
    bool hadPrevious_ = false;
    KAVDiscoveryNames names_;
};

TEST_F(DiscoveryObjectsTest, FirstPartyGetsANewBlockAndOthersJoinIt) {
    KAVDiscoveryObjects first;
    ASSERT_EQ(first.Open(names_), KAVDiscoveryObjects::Join::kNew);
    first.Block().Set(KAVIpcBlock::kDaemonPort, 4711);
    first.Unlock();

    KAVDiscoveryObjects second;
    ASSERT_EQ(second.Open(names_), KAVDiscoveryObjects::Join::kExisting);
    EXPECT_EQ(second.Block().Get(KAVIpcBlock::kDaemonPort), 4711);

    // The first party leaving does not make the block new while the second stays.
    first.Close();
    KAVDiscoveryObjects third;
    ASSERT_EQ(third.Open(names_), KAVDiscoveryObjects::Join::kExisting);
    EXPECT_EQ(third.Block().Get(KAVIpcBlock::kDaemonPort), 4711);
}

TEST_F(DiscoveryObjectsTest, BlockIsNewAndZeroedAgainOnceEveryPartyClosed) {
    {
        KAVDiscoveryObjects party;
        ASSERT_EQ(party.Open(names_), KAVDiscoveryObjects::Join::kNew);
        party.Block().Initialise(1234);
        party.Unlock();
    }
    KAVDiscoveryObjects later;
    ASSERT_EQ(later.Open(names_), KAVDiscoveryObjects::Join::kNew);
    for (size_t offset = 0; offset < KAVIpcBlock::kSize; offset += 4) {
        EXPECT_EQ(later.Block().Get(static_cast<KAVIpcBlock::Field>(offset)), 0) << offset;
    }
    later.Unlock();
}

TEST_F(DiscoveryObjectsTest, ObjectsAreTheHashedFilesOfTheIpcFolder) {
    KAVDiscoveryObjects party;
    ASSERT_EQ(party.Open(names_), KAVDiscoveryObjects::Join::kNew);
    party.Block().Set(KAVIpcBlock::kDaemonPort, 0x0102);
    party.Unlock();
    EXPECT_TRUE(std::filesystem::is_regular_file(IpcFile(names_.mutexName, ".lock")));
    EXPECT_TRUE(std::filesystem::is_regular_file(IpcFile(names_.blockName, ".ref")));
    const std::string blockFile = IpcFile(names_.blockName, ".blk");
    ASSERT_EQ(std::filesystem::file_size(blockFile), 36u);
    std::ifstream in(blockFile, std::ios::binary);
    char bytes[36] = {};
    in.read(bytes, sizeof bytes);
    EXPECT_EQ(bytes[32], 0x02);
    EXPECT_EQ(bytes[33], 0x01);
}

TEST_F(DiscoveryObjectsTest, MutexExcludesOtherOpensOfTheSameName) {
    KAVDiscoveryObjects party;
    ASSERT_EQ(party.Open(names_), KAVDiscoveryObjects::Join::kNew);
    IpcFileLock other;
    ASSERT_TRUE(other.Open(IpcFile(names_.mutexName, ".lock")));
    EXPECT_FALSE(other.TryLock()); // still owned from the new block's creation
    party.Unlock();
    EXPECT_TRUE(other.TryLock());
    other.Unlock();
    party.Lock();
    EXPECT_FALSE(other.TryLock());
    party.Unlock();
}

TEST_F(DiscoveryObjectsTest, APlantedFolderOrLinkIsNotTakenForALockFile) {
    std::filesystem::create_directories(root_ + "/ipc");
    std::filesystem::create_directory(IpcFile(names_.mutexName, ".lock"));
    KAVDiscoveryObjects party;
    EXPECT_EQ(party.Open(names_), KAVDiscoveryObjects::Join::kFailed);
    EXPECT_FALSE(party.IsOpen());

    std::filesystem::remove(IpcFile(names_.mutexName, ".lock"));
    std::filesystem::create_symlink(root_ + "/elsewhere", IpcFile(names_.blockName, ".ref"));
    EXPECT_EQ(party.Open(names_), KAVDiscoveryObjects::Join::kFailed);
    EXPECT_FALSE(std::filesystem::exists(root_ + "/elsewhere"));
}

} // namespace
