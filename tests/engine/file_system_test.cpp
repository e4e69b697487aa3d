// The file-system statics of Kiv::File: Exists, Unlink, Rename (never replacing), Md with
// parents, Prune (links removed, not followed; depth capped), GetCwd and Subst.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "engine/file.h"
#include "temp_folder.h"

namespace {

using Kiv::File;
using Kiv::FileResult;

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder.Root().empty()); }
    std::string At(const std::string& name) const { return folder.Path(name); }
    TempFolder folder;
};

TEST_F(FileSystemTest, ExistsAnswersForFilesAndFolders) {
    folder.WriteFile("f.txt", "1");
    folder.MakeFolder("Sub");
    EXPECT_TRUE(File::Exists(At("f.txt").c_str()).IsOk());
    EXPECT_TRUE(File::Exists(At("sub").c_str()).IsOk());
    FileResult missing = File::Exists(At("none").c_str());
    EXPECT_EQ(missing.GetCode(), FileResult::kNotFound);
    EXPECT_FALSE(missing);
    EXPECT_STREQ(missing.Text(), "not found");
    EXPECT_STREQ(FileResult().Text(), "success");
    EXPECT_EQ(File::Exists("").GetCode(), FileResult::kInvalidArgument);
    EXPECT_EQ(File::Exists(nullptr).GetCode(), FileResult::kInvalidArgument);
}

TEST_F(FileSystemTest, UnlinkRemovesFilesButNotFolders) {
    folder.WriteFile("f.txt", "1");
    folder.MakeFolder("d");
    EXPECT_TRUE(File::Unlink(At("F.TXT").c_str()).IsOk());
    EXPECT_FALSE(folder.Exists("f.txt"));
    EXPECT_EQ(File::Unlink(At("d").c_str()).GetCode(), FileResult::kIsAFolder);
    EXPECT_TRUE(folder.Exists("d"));
    EXPECT_EQ(File::Unlink(At("f.txt").c_str()).GetCode(), FileResult::kNotFound);
}

TEST_F(FileSystemTest, RenameMovesButNeverReplaces) {
    folder.WriteFile("a.txt", "A");
    folder.WriteFile("b.txt", "B");
    folder.MakeFolder("Target");
    EXPECT_EQ(File::Rename(At("a.txt").c_str(), At("b.txt").c_str()).GetCode(),
              FileResult::kAlreadyExists);
    EXPECT_EQ(folder.ReadFile("a.txt"), "A");
    EXPECT_EQ(folder.ReadFile("b.txt"), "B");

    EXPECT_TRUE(File::Rename(At("A.TXT").c_str(), At("target/Moved.txt").c_str()).IsOk());
    EXPECT_EQ(folder.ReadFile("Target/Moved.txt"), "A");
    EXPECT_FALSE(folder.Exists("a.txt"));

    // A change of case only.
    EXPECT_TRUE(File::Rename(At("b.txt").c_str(), At("B.TXT").c_str()).IsOk());
    EXPECT_EQ(folder.ReadFile("B.TXT"), "B");
    EXPECT_FALSE(folder.Exists("b.txt"));

    EXPECT_EQ(File::Rename(At("none").c_str(), At("other").c_str()).GetCode(),
              FileResult::kNotFound);
}

TEST_F(FileSystemTest, MdMakesParentsAndAcceptsAnExistingFolder) {
    EXPECT_TRUE(File::Md(At("one/two/three").c_str()).IsOk());
    EXPECT_TRUE(std::filesystem::is_directory(At("one/two/three")));
    EXPECT_TRUE(File::Md(At("one/two").c_str()).IsOk());
    folder.WriteFile("one/file", "x");
    EXPECT_FALSE(File::Md(At("one/file").c_str()).IsOk());
    EXPECT_FALSE(File::Md(At("one/file/below").c_str()).IsOk());
    EXPECT_EQ(folder.ReadFile("one/file"), "x");
}

TEST_F(FileSystemTest, PruneRemovesATreeWithoutFollowingLinks) {
    folder.MakeFolder("tree/a/b");
    folder.WriteFile("tree/a/b/deep.txt", "d");
    folder.WriteFile("tree/top.txt", "t");
    folder.MakeFolder("outside");
    folder.WriteFile("outside/keep.txt", "k");
    std::filesystem::create_directory_symlink(At("outside"), At("tree/a/link"));

    EXPECT_TRUE(File::Prune(At("TREE").c_str()).IsOk());
    EXPECT_FALSE(folder.Exists("tree"));
    EXPECT_EQ(folder.ReadFile("outside/keep.txt"), "k");

    folder.WriteFile("plain.txt", "p");
    EXPECT_EQ(File::Prune(At("plain.txt").c_str()).GetCode(), FileResult::kNotAFolder);
    EXPECT_TRUE(folder.Exists("plain.txt"));
    EXPECT_EQ(File::Prune(At("none").c_str()).GetCode(), FileResult::kNotFound);
}

TEST_F(FileSystemTest, PruneStopsAtTheDepthCap) {
    std::string deep = "n";
    for (int i = 0; i < 520; ++i) deep += "/d";
    folder.MakeFolder(deep);
    EXPECT_EQ(File::Prune(At("n").c_str()).GetCode(), FileResult::kTooDeep);
    EXPECT_TRUE(folder.Exists("n"));
}

TEST_F(FileSystemTest, GetCwdIsTheWorkingFolder) {
    EXPECT_EQ(std::string(File::GetCwd().c_str()), std::filesystem::current_path().string());
}

TEST_F(FileSystemTest, SubstMakesALocationNameReachTheFolder) {
    folder.MakeFolder("Scripts/Lib");
    folder.WriteFile("Scripts/Lib/A.gs", "script");
    File::Subst("kivfsscripts", (folder.Root() + "\\Scripts/").c_str(), true);
    File file;
    ASSERT_TRUE(file.Open("kivfsscripts\\lib\\a.gs", 16).IsOk());
    char text[7] = {};
    EXPECT_EQ(file.Read(text, 1, 6), 6u);
    EXPECT_STREQ(text, "script");
    file.Close();

    File::Subst("kivfsscripts");
    EXPECT_FALSE(File::Exists("kivfsscripts/lib/a.gs").IsOk());
}

}  // namespace
