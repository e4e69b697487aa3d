// Base-relative file operations, the file search and path canonicalising, on a scratch tree.
#include "foundation/files/file_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class FilePathsTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/file_paths_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        base_ = Kiv::PString(root_.c_str());
    }
    void TearDown() override { fs::remove_all(root_); }

    void Touch(const std::string& relative) {
        fs::create_directories(fs::path(root_ + "/" + relative).parent_path());
        std::ofstream(root_ + "/" + relative) << "x";
    }
    std::string At(const std::string& relative) const { return root_ + "/" + relative; }

    std::string root_;
    Kiv::PString base_;
};

TEST_F(FilePathsTest, AbsolutePathsBeginWithASeparator) {
    EXPECT_TRUE(IsAbsolutePath("/tmp/x"));
    EXPECT_TRUE(IsAbsolutePath("\\tmp\\x"));
    EXPECT_FALSE(IsAbsolutePath("tmp/x"));
    EXPECT_FALSE(IsAbsolutePath(""));
}

TEST_F(FilePathsTest, MakeDirectoryUnderJoinsBaseAndPath) {
    EXPECT_TRUE(MakeDirectoryUnder(base_, "one\\two/three"));
    EXPECT_TRUE(fs::is_directory(At("one/two/three")));
    EXPECT_TRUE(MakeDirectoryUnder(Kiv::PString(), At("abs").c_str()));
    EXPECT_TRUE(fs::is_directory(At("abs")));
    EXPECT_FALSE(MakeDirectoryUnder(Kiv::PString(), "relative"));
}

TEST_F(FilePathsTest, FileExistsUnderCountsRelativePathsWithoutBaseAsExisting) {
    Touch("Assets/Config.TXT");
    EXPECT_TRUE(FileExistsUnder(base_, "Assets/Config.TXT"));
    EXPECT_TRUE(FileExistsUnder(base_, "assets\\config.txt"));  // case-insensitive resolution
    EXPECT_TRUE(FileExistsUnder(base_, "assets"));
    EXPECT_FALSE(FileExistsUnder(base_, "assets/missing.txt"));
    EXPECT_TRUE(FileExistsUnder(Kiv::PString(), At("assets/config.txt").c_str()));
    EXPECT_FALSE(FileExistsUnder(Kiv::PString(), At("missing").c_str()));
    EXPECT_TRUE(FileExistsUnder(Kiv::PString(), "no/such/relative/file"));
}

TEST_F(FilePathsTest, RenameFileUnderNeedsBaseOrTwoAbsolutePaths) {
    Touch("a.txt");
    EXPECT_TRUE(RenameFileUnder(base_, "a.txt", "b.txt"));
    EXPECT_TRUE(fs::exists(At("b.txt")));
    EXPECT_FALSE(RenameFileUnder(Kiv::PString(), "b.txt", At("c.txt").c_str()));
    EXPECT_FALSE(RenameFileUnder(Kiv::PString(), At("b.txt").c_str(), "c.txt"));
    EXPECT_TRUE(fs::exists(At("b.txt")));
    EXPECT_TRUE(RenameFileUnder(Kiv::PString(), At("b.txt").c_str(), At("c.txt").c_str()));
    EXPECT_TRUE(fs::exists(At("c.txt")));
    EXPECT_FALSE(RenameFileUnder(base_, "missing.txt", "d.txt"));
}

TEST_F(FilePathsTest, DeleteTreeUnderRemovesTreesAndFiles) {
    Touch("tree/sub/deep/file.txt");
    Touch("tree/other.txt");
    Touch("single.txt");
    EXPECT_FALSE(DeleteTreeUnder(base_, ""));
    EXPECT_TRUE(fs::exists(root_));
    EXPECT_TRUE(DeleteTreeUnder(base_, "Tree"));
    EXPECT_FALSE(fs::exists(At("tree")));
    EXPECT_TRUE(DeleteTreeUnder(base_, "single.txt"));
    EXPECT_FALSE(fs::exists(At("single.txt")));
    EXPECT_FALSE(DeleteTreeUnder(base_, "missing"));
    Touch("kept.txt");
    EXPECT_FALSE(DeleteTreeUnder(Kiv::PString(), "kept.txt"));
    EXPECT_TRUE(fs::exists(At("kept.txt")));
}

TEST_F(FilePathsTest, ContainsAnyFileSearchesEveryLevel) {
    fs::create_directories(At("empty/a/b/c"));
    EXPECT_FALSE(ContainsAnyFile(nullptr, At("empty").c_str()));
    EXPECT_FALSE(ContainsAnyFile("", At("missing").c_str()));

    Touch("tree/notes.txt");
    Touch("tree/x/y/Lib.GS");
    EXPECT_TRUE(ContainsAnyFile("", At("tree").c_str()));
    EXPECT_TRUE(ContainsAnyFile("*.gs", At("tree").c_str()));
    EXPECT_TRUE(ContainsAnyFile("lib.g?", At("tree").c_str()));
    EXPECT_FALSE(ContainsAnyFile("*.gsl", At("tree").c_str()));
}

TEST_F(FilePathsTest, ContainsAnyFileDoesNotFollowFolderLinks) {
    fs::create_directories(At("loop/sub"));
    fs::create_directory_symlink(At("loop"), At("loop/sub/back"));
    fs::create_directory_symlink(At("loop"), At("loop/sub/again"));
    EXPECT_FALSE(ContainsAnyFile("", At("loop").c_str()));
    Touch("outside/file.txt");
    fs::create_directory_symlink(At("outside"), At("loop/link"));
    EXPECT_FALSE(ContainsAnyFile("", At("loop").c_str()));
}

TEST(IsDotDirectory, OnlyDotAndDotDot) {
    EXPECT_TRUE(IsDotDirectory("."));
    EXPECT_TRUE(IsDotDirectory(".."));
    for (const char* name : {"", "...", ".hidden", "a.", "x"}) {
        EXPECT_FALSE(IsDotDirectory(name)) << name;
    }
}

// Separators and dots only: the case stays, as another spelling may be another file.
TEST(CanonicalisePath, NormalisesAndUsesBackslashesKeepingTheCase) {
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"/Home/User/./Dist/../Build/", "\\Home\\User\\Build"},
        {"C/Program Files//Kodrin\\", "C\\Program Files\\Kodrin"},
        {"UserData", "UserData"},
    };
    for (const Case& c : cases) {
        Kiv::File::Path path(c.before);
        EXPECT_EQ(CanonicalisePath(path), std::string(c.before).size());
        EXPECT_EQ(path.View(), c.after) << c.before;
    }
    Kiv::File::Path empty;
    EXPECT_EQ(CanonicalisePath(empty), 0u);
    EXPECT_TRUE(empty.IsEmpty());
}

}  // namespace
