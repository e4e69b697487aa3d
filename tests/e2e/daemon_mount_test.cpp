// The stand-in daemon on file systems that fail it, seen through the installed tool. Each
// test starts the daemon inside a private mount namespace (unshare) where one of its
// folders is a small tmpfs or a read-only bind mount; the tool's later runs reach that
// daemon over its link as usual. Skipped, with a message, where mounting is not allowed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

const char kUnshare[] = "/usr/bin/unshare";

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

class DaemonMountE2E : public testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(kUnshare)) GTEST_SKIP() << kUnshare << " is not installed";
        fs::create_directories(UserData("local"));
        const ToolResult probe = install_.RunProgram(
            kUnshare, {"-m", "/bin/sh", "-c",
                       "mount -t tmpfs -o size=64k tmpfs '" + UserData("local").string() +
                           "' && umount '" + UserData("local").string() + "'"});
        if (probe.exitCode != 0) {
            GTEST_SKIP() << "cannot mount in a private namespace here: " << probe.err;
        }
        source_ = install_.FilesFolder() / "Shed";
        Write(source_ / "config.txt",
              "kuid <kuid:12:1>\nkind \"scenery\"\nusername \"Coal shed\"\n");
        Write(source_ / "mesh.pm", std::string(300000, 'm'));
    }

    fs::path UserData(const std::string& relative) const {
        return install_.Root() / "UserData" / relative;
    }

    // Runs the tool in a new mount namespace after the shell commands setup; a daemon the
    // tool starts stays in that namespace.
    ToolResult RunMounted(const std::string& setup, const std::vector<std::string>& args) {
        EXPECT_TRUE(install_.StopDaemon());
        std::vector<std::string> wrapped = {"-m", "/bin/sh", "-c", setup + " && exec \"$0\" \"$@\"",
                                            install_.Tool().string()};
        wrapped.insert(wrapped.end(), args.begin(), args.end());
        return install_.RunProgram(kUnshare, wrapped);
    }

    std::string Quoted(const std::string& relative) const {
        return "'" + UserData(relative).string() + "'";
    }

    Installation install_;
    fs::path source_;
};

// The edit copy does not fit: the tool prints the file system's reason, not an unknown
// asset, and the asset is not left open for editing.
TEST_F(DaemonMountE2E, EditOnAFullDiskSaysWhy) {
    ASSERT_EQ(install_.Run({"installfrompath", source_.string()}).exitCode, 0);
    const ToolResult result = RunMounted("mount -t tmpfs -o size=64k tmpfs " + Quoted("editing"),
                                         {"edit", "<kuid:12:1>"});
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_NE(result.out.find("- <kuid:12:1> : Cannot open the asset for editing: "),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("No space left on device"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Unknown AssetID."), std::string::npos) << result.out;
    EXPECT_NE(install_.Run({"status", "<kuid:12:1>"}).out.find(": eI"), std::string::npos);
}

// "local" on a file system of its own: installing, committing and deleting all cross it.
TEST_F(DaemonMountE2E, InstallCommitAndDeleteCrossFileSystems) {
    ToolResult result = RunMounted("mount -t tmpfs -o size=8m tmpfs " + Quoted("local"),
                                   {"installfrompath", source_.string()});
    ASSERT_EQ(result.exitCode, 0) << result.out;
    result = install_.Run({"edit", "<kuid:12:1>"});
    ASSERT_EQ(result.exitCode, 0) << result.out;
    Write(UserData("editing/kuid_12_1_0/config.txt"),
          "kuid <kuid:12:1>\nkind \"scenery\"\nusername \"Edited shed\"\n");

    result = install_.Run({"commit", "<kuid:12:1>"});
    EXPECT_EQ(result.out, "OK (0 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(install_.Run({"status", "<kuid:12:1>"}).out,
              "+ <kuid:12:1> : eIadLmf :  : Edited shed\nOK (0 Errors, 0 Warnings)\n");
    EXPECT_FALSE(fs::exists(UserData("editing/kuid_12_1_0")));

    ASSERT_EQ(install_.Run({"delete", "<kuid:12:1>"}).exitCode, 0);
    EXPECT_NE(FileText(UserData("trash/kuid_12_1_0/config.txt")).find("Edited shed"),
              std::string::npos);
    EXPECT_EQ(fs::file_size(UserData("trash/kuid_12_1_0/mesh.pm")), 300000u);
}

// A read-only "local": committing and deleting are refused with the reason, and the asset
// and its edit copy stay as they were.
TEST_F(DaemonMountE2E, AReadOnlyLocalFolderRefusesCommitAndDelete) {
    ASSERT_EQ(install_.Run({"installfrompath", source_.string()}).exitCode, 0);
    ASSERT_EQ(install_.Run({"edit", "<kuid:12:1>"}).exitCode, 0);
    ToolResult result = RunMounted("mount --bind " + Quoted("local") + " " + Quoted("local") +
                                       " && mount -o remount,bind,ro " + Quoted("local"),
                                   {"status", "<kuid:12:1>"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;

    for (const char* command : {"commit", "delete"}) {
        result = install_.Run({command, "<kuid:12:1>"});
        EXPECT_EQ(result.exitCode, 255) << command;
        EXPECT_EQ(result.out.rfind("- <kuid:12:1> : ", 0), 0u) << result.out;
        EXPECT_NE(result.out.find("Read-only file system"), std::string::npos) << result.out;
    }
    EXPECT_NE(install_.Run({"status", "<kuid:12:1>"}).out.find(": EI"), std::string::npos);
    EXPECT_TRUE(fs::exists(UserData("editing/kuid_12_1_0/mesh.pm")));
    EXPECT_FALSE(fs::exists(UserData("trash/kuid_12_1_0")));
}

// A full disk under "UserData": the commit cannot save the asset table, so it fails with
// the cause, the edit copy and the installed folder stay as they were, and a daemon started
// afterwards on the same files still knows every asset installed before. The asset's long
// description makes the saved record larger than a page, so it needs new space to be saved.
TEST_F(DaemonMountE2E, ACommitOnAFullDiskFailsAndLosesNothing) {
    const std::string description(6000, 'd');
    std::vector<fs::path> sources;
    for (int content = 1; content <= 3; ++content) {
        const fs::path source = install_.FilesFolder() / ("Asset" + std::to_string(content));
        Write(source / "config.txt", "kuid <kuid:12:" + std::to_string(content) +
                                         ">\nkind \"scenery\"\nusername \"Asset " +
                                         std::to_string(content) + "\"\ndescription \"" +
                                         description + "\"\n");
        sources.push_back(source);
    }
    const fs::path kept = install_.FilesFolder() / "kept";
    fs::create_directories(kept);
    std::string script = "mount -t tmpfs -o size=2m tmpfs " + Quoted("") + " || exit 90\n";
    for (const fs::path& source : sources)
        script += "\"$0\" installfrompath '" + source.string() + "' >/dev/null || exit 91\n";
    script += "\"$0\" edit '<kuid:12:1>' >/dev/null || exit 92\n"
              "dd if=/dev/zero of=" + Quoted("filler") + " bs=4096 2>/dev/null\n"
              "\"$0\" commit '<kuid:12:1>'\n"
              "echo \"commit exit $?\"\n"
              "rm " + Quoted("filler") + "\n"
              "cp -a " + Quoted("") + "/. '" + kept.string() + "'\n";
    ASSERT_TRUE(install_.StopDaemon());
    const ToolResult result =
        install_.RunProgram(kUnshare, {"-m", "/bin/sh", "-c", script, install_.Tool().string()});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("- <kuid:12:1> : Cannot save the asset table: cannot write "),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("No space left on device"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("commit exit 255"), std::string::npos) << result.out;

    // The daemon of the mount namespace is gone; a new one reads what it left.
    ASSERT_TRUE(install_.StopDaemon());
    fs::copy(kept, UserData(""), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    EXPECT_NE(install_.Run({"status", "<kuid:12:1>"}).out.find(": EI"), std::string::npos);
    for (const char* kuid : {"<kuid:12:2>", "<kuid:12:3>"}) {
        EXPECT_EQ(install_.Run({"status", kuid}).out.rfind(std::string("+ ") + kuid, 0), 0u)
            << kuid;
    }
    EXPECT_TRUE(fs::exists(UserData("editing/kuid_12_1_0/config.txt")));
    EXPECT_TRUE(fs::exists(UserData("local/kuid_12_1_0/config.txt")));
}

} // namespace
