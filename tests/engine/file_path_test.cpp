// Kiv::File::Path text edits, table-driven with Windows-style and POSIX-style paths.
#include "engine/file_path.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Path = Kiv::File::Path;

struct EditCase {
    const char* given;
    const char* expected;
};

void ExpectEdits(const char* name, const std::function<void(Path&)>& edit,
                 std::initializer_list<EditCase> cases) {
    for (const EditCase& c : cases) {
        Path path(c.given);
        edit(path);
        EXPECT_STREQ(path.c_str(), c.expected) << name << " of \"" << c.given << "\"";
    }
}

TEST(FilePath, AddPathPutsOneSeparatorOfTheKindInUse) {
    ExpectEdits("AddPath UserData", [](Path& p) { p.AddPath("UserData"); },
                {{"", "UserData"},
                 {"c:\\kodrin", "c:\\kodrin\\UserData"},
                 {"c:\\kodrin\\", "c:\\kodrin\\UserData"},
                 {"/opt/kodrin", "/opt/kodrin/UserData"},
                 {"bin", "bin/UserData"}});
    ExpectEdits("AddPath \\x", [](Path& p) { p.AddPath("\\x"); },
                {{"a\\", "a\\x"}, {"a", "a\\x"}, {"a/b", "a/b/x"}});
    Path path("a");
    path.AddPath(nullptr).AddPath("");
    EXPECT_STREQ(path.c_str(), "a");
}

TEST(FilePath, ExtensionsAreSetAndTestedIgnoringCase) {
    ExpectEdits("SetExt gse", [](Path& p) { p.SetExt("gse"); },
                {{"a\\b.gs", "a\\b.gse"},
                 {"a/b", "a/b.gse"},
                 {"dir.x/name", "dir.x/name.gse"},
                 {"name.tar.gz", "name.tar.gse"}});
    ExpectEdits("SetExt .ka", [](Path& p) { p.SetExt(".ka"); }, {{"local", "local.ka"}});
    ExpectEdits("SetExt empty", [](Path& p) { p.SetExt(""); }, {{"a/b.txt", "a/b"}, {"a/b", "a/b"}});

    EXPECT_TRUE(Path("x\\Script.GS").IsExt("gs"));
    EXPECT_TRUE(Path("x\\Script.gs").IsExt(".GS"));
    EXPECT_FALSE(Path("x\\Script.gsl").IsExt("gs"));
    EXPECT_FALSE(Path("x.gs\\Script").IsExt("gs"));
    EXPECT_TRUE(Path("noext").IsExt(""));
    EXPECT_STREQ(Path("a/b.Texture.TXT").GetExt().c_str(), "TXT");
}

TEST(FilePath, NamesAndSlashesComeOff) {
    ExpectEdits("DelName", [](Path& p) { p.DelName(); },
                {{"c:\\bin\\kavdaemon.exe", "c:\\bin\\"}, {"name", ""}, {"/name", "/"}, {"a/b/", "a/b/"}});
    ExpectEdits("DelName(false)", [](Path& p) { p.DelName(false); },
                {{"c:\\bin\\kavdaemon.exe", "c:\\bin"}, {"/name", "/"}});
    ExpectEdits("DelSlash", [](Path& p) { p.DelSlash(); },
                {{"a\\b\\", "a\\b"}, {"a/b//", "a/b"}, {"/", "/"}, {"a", "a"}, {"", ""}});
    ExpectEdits("PrevDir", [](Path& p) { p.PrevDir(); },
                {{"a/b/c", "a/b/"}, {"a\\b\\c\\", "a\\b\\"}, {"/a", "/"}, {"/", "/"}, {"a", "a"}});
    Path top("/");
    EXPECT_FALSE(top.PrevDir());
    Path nested("a/b");
    EXPECT_TRUE(nested.PrevDir());
}

TEST(FilePath, NormalizeResolvesDotsAndFoldsSeparators) {
    ExpectEdits("Normalize", [](Path& p) { p.Normalize(); },
                {{"C:\\Kodrin\\bin\\..\\UserData\\.\\x", "C:/Kodrin/UserData/x"},
                 {"\\a\\\\b\\", "/a/b/"},
                 {"/a/../../b", "/b"},
                 {"../a/./b/..", "../a"},
                 {"a/..", "."},
                 {"/..", "/"},
                 {"", ""}});
}

TEST(FilePath, CaseAndSlashConversions) {
    ExpectEdits("ToLower", [](Path& p) { p.ToLower(); }, {{"C:\\Kodrin\\ÄB", "c:\\kodrin\\Äb"}});
    ExpectEdits("ReplaceForwardSlashes", [](Path& p) { p.ReplaceForwardSlashes(); },
                {{"/a/b\\c", "\\a\\b\\c"}});
    ExpectEdits("ReplaceBackSlashes", [](Path& p) { p.ReplaceBackSlashes(); },
                {{"\\a\\b/c", "/a/b/c"}});
}

TEST(FilePath, MakeRelativeToGivesThePartBelowTheBase) {
    struct Case {
        const char* base;
        const char* full;
        bool ok;
        const char* result;
    } cases[] = {
        {"c:\\kodrin\\userdata", "c:\\kodrin\\userdata\\local\\asset", true, "local\\asset"},
        {"c:\\kodrin\\userdata\\", "C:/Kodrin/UserData/local", true, "local"},
        {"c:\\kodrin\\userdata", "c:\\kodrin\\userdata", true, ""},
        {"c:\\kodrin\\userdata", "c:\\kodrin\\userdata2\\local", false, "c:\\kodrin\\userdata"},
        {"c:\\kodrin\\userdata", "c:\\kodrin", false, "c:\\kodrin\\userdata"},
        {"/opt/k", "opt/k/x", false, "/opt/k"},
        {"", "a", false, ""},
    };
    for (const Case& c : cases) {
        Path base(c.base);
        EXPECT_EQ(base.MakeRelativeTo(c.full), c.ok) << c.base << " / " << c.full;
        EXPECT_STREQ(base.c_str(), c.result) << c.base << " / " << c.full;
    }
}

TEST(FilePath, FileNameAndFirstComponent) {
    EXPECT_STREQ(Path("a\\b\\c.txt").GetFileName().c_str(), "c.txt");
    EXPECT_STREQ(Path("c.txt").GetFileName().c_str(), "c.txt");
    EXPECT_STREQ(Path("a/b/").GetFileName().c_str(), "");

    Path path("local\\kuid 1 2\\config.txt");
    Kiv::String first;
    ASSERT_TRUE(path.ExtractFirstPath(first));
    EXPECT_STREQ(first.c_str(), "local");
    EXPECT_STREQ(path.c_str(), "kuid 1 2\\config.txt");

    Path single("\\builtin");
    ASSERT_TRUE(single.ExtractFirstPath(first));
    EXPECT_STREQ(first.c_str(), "builtin");
    EXPECT_TRUE(single.IsEmpty());
    EXPECT_FALSE(single.ExtractFirstPath(first));
    EXPECT_STREQ(first.c_str(), "builtin");
}

TEST(FilePath, AbsolutePathsBeginWithASeparator) {
    EXPECT_TRUE(Path("/a").IsAbsolute());
    EXPECT_TRUE(Path("\\a").IsAbsolute());
    EXPECT_FALSE(Path("a/b").IsAbsolute());
    EXPECT_FALSE(Path("").IsAbsolute());
}

}  // namespace
