// The daemon's folder move: a rename when it can, else a flushed copy that replaces the
// source only once it is whole. The crossing of file systems is made twice: by a rename
// that fails with EXDEV on one file system, and for real between the test's folder and
// /dev/shm when those are different file systems.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "daemon/folder_move.h"
#include "engine/temp_folder.h"

namespace {

namespace fs = std::filesystem;

int CrossingRename(const char*, const char*) {
    errno = EXDEV;
    return -1;
}

int RefusingRename(const char*, const char*) {
    errno = EACCES;
    return -1;
}

class FolderMoveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_.MakeFolder("src/deep/deeper");
        folder_.WriteFile("src/config.txt", "kuid <kuid:12:1>\n");
        folder_.WriteFile("src/deep/deeper/mesh.pm", std::string(200000, 'm'));
        folder_.MakeFolder("dst");
    }
    void TearDown() override { SetFolderRenameForTesting(nullptr); }

    void ExpectMovedTo(const std::string& target) {
        EXPECT_FALSE(folder_.Exists("src"));
        EXPECT_EQ(folder_.ReadFile(target + "/config.txt"), "kuid <kuid:12:1>\n");
        EXPECT_EQ(folder_.ReadFile(target + "/deep/deeper/mesh.pm"), std::string(200000, 'm'));
    }

    TempFolder folder_;
};

TEST_F(FolderMoveTest, ACrossingRenameFallsBackToACopy) {
    SetFolderRenameForTesting(&CrossingRename);
    std::string error;
    ASSERT_TRUE(MoveFolder(folder_.Path("src"), folder_.Path("dst/asset"), error)) << error;
    ExpectMovedTo("dst/asset");
    EXPECT_FALSE(folder_.Exists("dst/asset.moving"));
}

// Any other failure leaves the source whole and says why.
TEST_F(FolderMoveTest, AFailedMoveKeepsTheSourceAndGivesTheCause) {
    SetFolderRenameForTesting(&RefusingRename);
    std::string error;
    EXPECT_FALSE(MoveFolder(folder_.Path("src"), folder_.Path("dst/asset"), error));
    EXPECT_NE(error.find(std::strerror(EACCES)), std::string::npos) << error;
    EXPECT_TRUE(folder_.Exists("src/deep/deeper/mesh.pm"));
    EXPECT_FALSE(folder_.Exists("dst/asset"));
    // Replacing puts the old target back.
    folder_.MakeFolder("dst/asset");
    folder_.WriteFile("dst/asset/old.txt", "old");
    EXPECT_FALSE(ReplaceFolder(folder_.Path("src"), folder_.Path("dst/asset"), error));
    EXPECT_EQ(folder_.ReadFile("dst/asset/old.txt"), "old");
    EXPECT_TRUE(folder_.Exists("src/config.txt"));
}

// A copy that cannot finish (a file it cannot read) leaves no part of itself behind.
TEST_F(FolderMoveTest, AnUnfinishedCopyLeavesTheSourceAndNoPartialCopy) {
    ASSERT_EQ(mkfifo(folder_.Path("src/deep/pipe").c_str(), 0600), 0);
    SetFolderRenameForTesting(&CrossingRename);
    std::string error;
    EXPECT_FALSE(MoveFolder(folder_.Path("src"), folder_.Path("dst/asset"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(folder_.Exists("src/deep/deeper/mesh.pm"));
    EXPECT_FALSE(folder_.Exists("dst/asset"));
    EXPECT_FALSE(folder_.Exists("dst/asset.moving"));
}

TEST_F(FolderMoveTest, AMoveOntoAnotherFileSystemCopies) {
    struct stat here {
    }, shm{};
    if (stat(folder_.Root().c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 ||
        here.st_dev == shm.st_dev || access("/dev/shm", W_OK) != 0) {
        GTEST_SKIP() << "no second file system at /dev/shm beside " << folder_.Root();
    }
    const fs::path other = fs::path("/dev/shm") / ("folder-move-" + std::to_string(getpid()));
    std::string error;
    ASSERT_TRUE(MoveFolder(folder_.Path("src"), other, error)) << error;
    EXPECT_FALSE(folder_.Exists("src"));
    EXPECT_EQ(fs::file_size(other / "deep/deeper/mesh.pm"), 200000u);
    ASSERT_TRUE(MoveFolder(other, folder_.Path("dst/back"), error)) << error;
    ExpectMovedTo("dst/back");
    EXPECT_FALSE(fs::exists(other));
}

} // namespace
