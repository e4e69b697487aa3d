// The own executable's path; starting programs: ids, arguments, working folder, standard
// handles, inherited descriptors, and that an ended child is reaped.
#include "foundation/files/process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

class StartProcessTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/process_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // The text of a file that a child writes under a temporary name and then moves into
    // place; empty when it did not appear within ten seconds.
    std::string WaitForFile(const std::string& name) {
        const std::string path = folder_ + "/" + name;
        for (int i = 0; i < 1000 && !std::filesystem::exists(path); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string folder_;
};

TEST(GetModuleFilePath, IsTheRunningExecutable) {
    Kiv::File::Path path;
    ASSERT_TRUE(GetModuleFilePath(path));
    EXPECT_EQ(std::string(path.View()), std::filesystem::canonical("/proc/self/exe").string());
    EXPECT_EQ(std::string(path.GetFileName().View()), "test_foundation");
}

TEST_F(StartProcessTest, MissingProgramOrFolderStartsNothing) {
    EXPECT_EQ(StartProcess("/no/such/program", "", "", 0), 0u);
    EXPECT_EQ(StartProcess("", "", "", 0), 0u);
    EXPECT_EQ(StartProcess(folder_, "", "", 0), 0u);  // a folder is not a program
    EXPECT_EQ(StartProcess("/bin/true", "", folder_ + "/missing", kStartProcessHidden), 0u);
}

TEST_F(StartProcessTest, ProgramStartsAndIsReapedWhenItEnds) {
    const uint32_t pid = StartProcess("/bin/true", "", "", kStartProcessHidden);
    ASSERT_NE(pid, 0u);
    bool gone = false;
    for (int i = 0; i < 1000 && !gone; ++i) {
        gone = kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone) << "the ended child still exists (a zombie)";
}

TEST_F(StartProcessTest, ArgumentsAndWorkingFolderReachTheChild) {
    // The shell here is the program started, never a way of starting it. Its $0 is the
    // argument after the script: "two words" must arrive as one argument.
    const uint32_t pid =
        StartProcess("\\bin\\sh",
                     "-c \"printf '%s|' $PWD $# $0 > out.tmp; mv out.tmp out\" \"two words\"",
                     folder_, kStartProcessHidden);
    ASSERT_NE(pid, 0u);
    EXPECT_EQ(WaitForFile("out"), folder_ + "|0|two|words|");
}

TEST_F(StartProcessTest, ChildGetsNullHandlesNoInheritedDescriptorsAndItsOwnSession) {
    const int inherited = open(folder_.c_str(), O_RDONLY);  // deliberately without O_CLOEXEC
    ASSERT_GE(inherited, 0);
    const std::string script =
        "-c \"i=$(readlink /proc/$$/fd/0); o=$(readlink /proc/$$/fd/1);"
        " e=$(readlink /proc/$$/fd/2);"
        " test -e /proc/$$/fd/" + std::to_string(inherited) + " && f=open || f=closed;"
        " test $(ps -o sid= -p $$) -eq $$ && s=leader || s=member;"
        " printf '%s,' $i $o $e $f $s > out.tmp; mv out.tmp out\"";
    const uint32_t pid = StartProcess("/bin/sh", script, folder_, 0);
    close(inherited);
    ASSERT_NE(pid, 0u);
    EXPECT_EQ(WaitForFile("out"), "/dev/null,/dev/null,/dev/null,closed,leader,");
}

}  // namespace
