// The path policy: separator folding, location substitution and case-insensitive
// resolution over a real mixed-case tree, also as seen through the file operations.
#include "engine/path_policy.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/file.h"
#include "temp_folder.h"

namespace {

using Kiv::PathPolicy::Fold;
using Kiv::PathPolicy::Resolve;
using Kiv::PathPolicy::ResolveParent;

std::string Backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

TEST(PathPolicyFold, FoldsSeparatorsAndKeepsTheRoot) {
    struct Case {
        const char* given;
        const char* folded;
    } cases[] = {
        {"", ""},
        {"/", "/"},
        {"\\", "/"},
        {"a\\b/c", "a/b/c"},
        {"\\\\server\\\\share\\", "/server/share"},
        {"a//b///c/", "a/b/c"},
        {"C:\\x", "C:/x"},
    };
    for (const Case& c : cases) EXPECT_EQ(Fold(c.given), c.folded) << c.given;
}

class PathPolicyTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tree.Root().empty());
        tree.MakeFolder("Data/Sub");
        tree.WriteFile("Data/Sub/File.TXT", "x");
    }
    TempFolder tree;
};

TEST_F(PathPolicyTree, ExactPathIsTakenAsItIs) {
    EXPECT_EQ(Resolve(tree.Path("Data/Sub/File.TXT")), tree.Path("Data/Sub/File.TXT"));
}

TEST_F(PathPolicyTree, LowerCasedAndBackslashedPathsFindTheMixedCaseFile) {
    std::string wanted = tree.Path("Data/Sub/File.TXT");
    EXPECT_EQ(Resolve(tree.Root() + "/data/sub/file.txt"), wanted);
    EXPECT_EQ(Resolve(Backslashed(tree.Root() + "/DATA/SUB/FILE.TXT")), wanted);
    EXPECT_EQ(Resolve(tree.Root() + "\\data\\\\sub\\file.txt"), wanted);
}

TEST_F(PathPolicyTree, MissingComponentsKeepTheNameGiven) {
    EXPECT_EQ(Resolve(tree.Root() + "/data/sub/NewFile.txt"), tree.Path("Data/Sub/NewFile.txt"));
    EXPECT_EQ(Resolve(tree.Root() + "/data/Missing/deeper"), tree.Path("Data/Missing/deeper"));
}

TEST_F(PathPolicyTree, ExactNameWinsAndCaseVariantsResolveToTheSmallestName) {
    tree.MakeFolder("dup/foo");
    tree.MakeFolder("dup/Foo");
    EXPECT_EQ(Resolve(tree.Root() + "/dup/foo"), tree.Path("dup/foo"));
    EXPECT_EQ(Resolve(tree.Root() + "/dup/Foo"), tree.Path("dup/Foo"));
    EXPECT_EQ(Resolve(tree.Root() + "/dup/FOO"), tree.Path("dup/Foo"));
}

TEST_F(PathPolicyTree, ResolveParentKeepsTheLastNameEvenWhenAVariantExists) {
    EXPECT_EQ(ResolveParent(tree.Root() + "/data/sub/FILE.txt"), tree.Path("Data/Sub/FILE.txt"));
    EXPECT_EQ(ResolveParent("/"), "/");
}

TEST_F(PathPolicyTree, LocationsSubstituteTheFirstComponentOfRelativePaths) {
    Kiv::PathPolicy::SetLocation("kivtestloc", Backslashed(tree.Path("Data")) + "\\");
    EXPECT_EQ(Resolve("kivtestloc\\sub\\file.txt"), tree.Path("Data/Sub/File.TXT"));
    EXPECT_EQ(Resolve("KIVTESTLOC/Sub"), tree.Path("Data/Sub"));
    EXPECT_EQ(Resolve("kivtestloc"), tree.Path("Data"));
    EXPECT_EQ(Fold("kivtestlocx/a"), "kivtestlocx/a");
    EXPECT_EQ(Fold("/kivtestloc/a"), "/kivtestloc/a");
    EXPECT_EQ(Fold("other/kivtestloc"), "other/kivtestloc");

    Kiv::PathPolicy::SetLocation("kivtestloc", "");
    EXPECT_EQ(Fold("kivtestloc/a"), "kivtestloc/a");
}

TEST_F(PathPolicyTree, FileOperationsFollowThePolicy) {
    Kiv::File file;
    ASSERT_TRUE(file.Open((tree.Root() + "\\data\\sub\\file.txt").c_str(), 16).IsOk());
    char byte = 0;
    EXPECT_EQ(file.Read(&byte, 1, 1), 1u);
    EXPECT_EQ(byte, 'x');
    file.Close();

    // New names under a mixed-case parent keep their own case.
    ASSERT_TRUE(file.Open((tree.Root() + "/DATA/sub/New.Txt").c_str(), 257).IsOk());
    file.Close();
    EXPECT_TRUE(tree.Exists("Data/Sub/New.Txt"));
    EXPECT_FALSE(tree.Exists("DATA"));

    ASSERT_TRUE(Kiv::File::Md(Backslashed(tree.Root() + "/data/NewFolder/Deeper").c_str()).IsOk());
    EXPECT_TRUE(std::filesystem::is_directory(tree.Path("Data/NewFolder/Deeper")));

    EXPECT_TRUE(Kiv::File::Exists((tree.Root() + "/DATA/SUB/FILE.TXT").c_str()).IsOk());
    EXPECT_FALSE(Kiv::File::Exists((tree.Root() + "/data/sub/none.txt").c_str()).IsOk());
}

}  // namespace
