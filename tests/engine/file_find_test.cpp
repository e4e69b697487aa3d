// Kiv::File::Find: wildcard patterns, a folder alone, an extra name pattern, the
// case-insensitive folder part, and what each entry reports.
#include "engine/file_find.h"

#include <gtest/gtest.h>

#include <vector>

#include "temp_folder.h"

namespace {

using Find = Kiv::File::Find;

std::vector<std::string> Names(const std::string& pattern, const char* extra = nullptr) {
    Find find;
    std::vector<std::string> names;
    if (!find.Open(pattern.c_str(), extra).IsOk()) return {"<failed>"};
    while (find.Next()) names.push_back(find.GetName());
    return names;
}

TEST(FileFindMatch, WildcardsIgnoreCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*", "anything", true},        {"*", "", true},
        {"*.gsl", "Lib.GSL", true},     {"*.gsl", "lib.gs", false},
        {"?.txt", "a.txt", true},       {"?.txt", "ab.txt", false},
        {"a*b*c", "aXbYbZc", true},     {"a*b*c", "aXbYbZ", false},
        {"*.*", "noext", true},         {"*.texture.txt", "x.TEXTURE.txt", true},
        {"exact", "EXACT", true},       {"exact", "exactly", false},
        {"", "", true},                 {"", "a", false},
        {"**a", "ba", true},            {"a?", "a", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find::Matches(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
}

class FileFindTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tree.Root().empty());
        tree.MakeFolder("Libs/Sub");
        tree.WriteFile("Libs/b.gsl", "12345");
        tree.WriteFile("Libs/A.GSL", "1");
        tree.WriteFile("Libs/notes.txt", "");
    }
    TempFolder tree;
};

TEST_F(FileFindTree, PatternsSelectNamesInByteOrder) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Names(tree.Root() + "/libs/*.gsl"), (V{"A.GSL", "b.gsl"}));
    EXPECT_EQ(Names(tree.Root() + "\\LIBS\\*"), (V{"A.GSL", "Sub", "b.gsl", "notes.txt"}));
    EXPECT_EQ(Names(tree.Root() + "/libs"), (V{"A.GSL", "Sub", "b.gsl", "notes.txt"}));
    EXPECT_EQ(Names(tree.Root() + "/libs/NOTES.TXT"), (V{"notes.txt"}));
    EXPECT_EQ(Names(tree.Root() + "/libs/*", "*.txt"), (V{"notes.txt"}));
    EXPECT_EQ(Names(tree.Root() + "/libs/*.none"), V{});
}

TEST_F(FileFindTree, EntriesReportFolderAndSize) {
    Find find;
    ASSERT_TRUE(find.Open((tree.Root() + "/libs/*").c_str()).IsOk());
    EXPECT_STREQ(find.GetName(), "");  // nothing before the first Next
    ASSERT_TRUE(find.Next());
    EXPECT_STREQ(find.GetName(), "A.GSL");
    EXPECT_FALSE(find.IsFolder());
    EXPECT_EQ(find.GetSize(), 1);
    ASSERT_TRUE(find.Next());
    EXPECT_STREQ(find.GetName(), "Sub");
    EXPECT_TRUE(find.IsFolder());
    ASSERT_TRUE(find.Next());
    EXPECT_EQ(find.GetSize(), 5);
    ASSERT_TRUE(find.Next());
    EXPECT_FALSE(find.Next());
    EXPECT_FALSE(find.Next());
    EXPECT_STREQ(find.GetName(), "");
    find.Close();
    EXPECT_FALSE(find.Next());
}

TEST_F(FileFindTree, AMissingFolderCannotBeSearched) {
    Find find;
    EXPECT_FALSE(find.Open((tree.Root() + "/nowhere/*").c_str()).IsOk());
    EXPECT_FALSE(find.Open("").IsOk());
    EXPECT_FALSE(find.Open(nullptr).IsOk());
    EXPECT_FALSE(find.Next());
}

}  // namespace
