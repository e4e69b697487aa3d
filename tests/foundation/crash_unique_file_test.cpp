// Report names that are not taken yet: the name itself, then "_2", "_3" between base and
// extension; every call creates its file, and paths that cannot be made fail cleanly.
#include "foundation/crash/unique_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/temp_folder.h"

namespace {

TEST(CrashUniqueFile, NextFreeCandidate) {
    struct Case {
        std::vector<std::string> existing;
        const char* name;
        const char* expected;
    } cases[] = {
        {{}, "Kodrin-49933.dmp", "Kodrin-49933.dmp"},
        {{"Kodrin-49933.dmp"}, "Kodrin-49933.dmp", "Kodrin-49933_2.dmp"},
        {{"Kodrin-49933.dmp", "Kodrin-49933_2.dmp"}, "Kodrin-49933.dmp", "Kodrin-49933_3.dmp"},
        {{"Kodrin-49933_2.dmp"}, "Kodrin-49933.dmp", "Kodrin-49933.dmp"},
        {{"a.b.txt"}, "a.b.txt", "a.b_2.txt"},
        {{"report"}, "report", "report_2"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        for (const std::string& name : c.existing) folder.WriteFile(name, "old");
        char path[512];
        int fd = CreateUniqueFile(folder.Root().c_str(), c.name, path, sizeof path);
        ASSERT_GE(fd, 0) << c.expected;
        close(fd);
        EXPECT_EQ(std::string(path), folder.Path(c.expected));
        EXPECT_TRUE(folder.Exists(c.expected));
        for (const std::string& name : c.existing) EXPECT_EQ(folder.ReadFile(name), "old");
    }
}

TEST(CrashUniqueFile, FolderWithTrailingSlashAndRepeatedCalls) {
    TempFolder folder;
    std::string root = folder.Root() + "/";
    char path[512];
    for (const char* expected : {"r.dmp", "r_2.dmp", "r_3.dmp"}) {
        int fd = CreateUniqueFile(root.c_str(), "r.dmp", path, sizeof path);
        ASSERT_GE(fd, 0);
        close(fd);
        EXPECT_EQ(std::string(path), folder.Path(expected));
    }
}

TEST(CrashUniqueFile, FailsWithoutCreatingWhenThePathCannotBeMade) {
    TempFolder folder;
    char small[8];
    EXPECT_EQ(CreateUniqueFile(folder.Root().c_str(), "r.dmp", small, sizeof small), -1);
    char path[512];
    std::string missing = folder.Path("no/such/folder");
    EXPECT_EQ(CreateUniqueFile(missing.c_str(), "r.dmp", path, sizeof path), -1);
    EXPECT_FALSE(folder.Exists("r.dmp"));
}

}  // namespace
