// Installing as processes of the installed tool against its own stand-in daemon: a folder
// tree with three nested asset folders sends one request 39 per asset folder, a tree
// without any fails, an archive written by createcdp installs again after a delete, and
// installfromfpx leaves an asset that is here alone and names a failed search; an archive
// whose content fails its checksum keeps the installed copy and fails the command.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "daemon/asset_install_test_support.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

const std::string kNoErrors = "OK (0 Errors, 0 Warnings)\n";

std::string Config(const std::string& kuid, const std::string& name) {
    return "kuid " + kuid + "\nkind \"scenery\"\nusername \"" + name +
           "\"\ncategory-class \"BD\"\n";
}

class InstallCommandsE2E : public testing::Test {
protected:
    // Writes a file below the test's own files folder, outside the installation.
    void Write(const std::string& relative, const std::string& bytes) {
        const fs::path path = install_.FilesFolder() / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    ToolResult Run(const std::vector<std::string>& args) {
        const ToolResult result = install_.Run(args);
        EXPECT_FALSE(result.timedOut) << args[0];
        return result;
    }

    Installation install_;
};

TEST_F(InstallCommandsE2E, InstallFromPathSendsOneRequestPerAssetFolder) {
    const fs::path tree = install_.FilesFolder() / "Tree";
    Write("Tree/Sheds/Coal/config.txt", Config("<kuid:12:1>", "Coal shed"));
    Write("Tree/Sheds/Coal/notes.txt", "black\n");
    Write("Tree/Sheds/Deep/Lamp/config.txt", Config("<kuid:12:2>", "Lamp"));
    Write("Tree/Box/config.txt", Config("<kuid:12:3>", "Box"));
    Write("Tree/readme.txt", "not an asset\n");
    install_.RecordDaemon();

    const ToolResult result = Run({"installfrompath", tree.string()});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(install_.DaemonRequestCount(39), 3);
    for (const char* kuid : {"<kuid:12:1>", "<kuid:12:2>", "<kuid:12:3>"}) {
        const ToolResult status = Run({"status", kuid});
        EXPECT_EQ(status.exitCode, 0) << kuid << status.out;
        EXPECT_NE(status.out.find(std::string("+ ") + kuid + " : eI"), std::string::npos)
            << status.out;
    }
}

TEST_F(InstallCommandsE2E, InstallFromPathOfATreeWithoutAssetsFails) {
    Write("Empty/Deeper/readme.txt", "nothing here\n");
    install_.RecordDaemon();
    const fs::path empty = install_.FilesFolder() / "Empty";
    const ToolResult result = Run({"installfrompath", empty.string()});
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_EQ(result.out, "- <NULL> : No asset folder (one holding config.txt or config.chump) was "
                          "found at or below " + empty.string() + ".\nOK (1 Errors, 0 Warnings)\n");
    EXPECT_EQ(install_.DaemonRequestCount(39), 0);
}

// A folder whose config names no asset is not installed: the daemon's entry says why and
// the command fails, also when another folder of the tree installed.
TEST_F(InstallCommandsE2E, InstallFromPathFailsWhenAnyAssetIsLeftOut) {
    Write("Two/Good/config.txt", Config("<kuid:12:8>", "Good"));
    Write("Two/NoKuid/config.txt", "username \"No kuid\"\r\n");
    const ToolResult result = Run({"installfrompath", (install_.FilesFolder() / "Two").string()});
    EXPECT_EQ(result.exitCode, 255) << result.out;
    EXPECT_NE(result.out.find("- <NULL> : "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("+ <kuid:12:8> : "), std::string::npos) << result.out;
}

// Content that fails its checksum does not replace the installed copy: an error names the
// asset, the other asset installs, and the command fails as not everything was installed.
TEST_F(InstallCommandsE2E, InstallCDPKeepsAnInstalledCopyOverDamagedContent) {
    Write("Shed/config.txt", Config("<kuid:12:7>", "Shed"));
    Write("Shed/roof.txt", "good roof\n");
    ASSERT_EQ(Run({"installfrompath", (install_.FilesFolder() / "Shed").string()}).exitCode, 0);

    ACSChunkRef damaged = install_test::ArchivedAsset(KUID(12, 7, 0), "Shed", {{"roof.txt", "bad"}});
    damaged.SetNamedTagInt("dsid", 3);
    CDPAsset(damaged).SetChecksum();
    ACSChunkRef files = damaged.GetNamedSoup("files");
    install_test::AddBlob(files, "extra.txt", "outside the checksum");
    const fs::path archive = install_.FilesFolder() / "Mixed.cdp";
    ASSERT_EQ(install_test::SaveArchive(
                  archive.string(),
                  {damaged, install_test::ArchivedAsset(KUID(12, 8, 0), "Hut", {{"door.txt", "d"}})}),
              "");

    const ToolResult result = Run({"installcdp", archive.string()});
    EXPECT_EQ(result.exitCode, 255) << result.out;
    EXPECT_NE(result.out.find("- <kuid:12:7> : The asset's files do not match the archive's checksum: "
                              "the installed copy is kept.\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("+ <kuid:12:8> : "), std::string::npos) << result.out;
    const ToolResult status = Run({"status", "<kuid:12:7>"});
    EXPECT_NE(status.out.find("+ <kuid:12:7> : eI"), std::string::npos) << status.out;
    bool goodRoofKept = false;
    for (const auto& entry : fs::recursive_directory_iterator(install_.Root() / "UserData" / "local")) {
        if (entry.path().filename() != "roof.txt") continue;
        std::ifstream in(entry.path());
        std::string text((std::istreambuf_iterator<char>(in)), {});
        goodRoofKept = text == "good roof\n";
    }
    EXPECT_TRUE(goodRoofKept);
}

TEST_F(InstallCommandsE2E, AnArchiveWrittenByCreateCDPInstallsAgainAfterADelete) {
    Write("Shed/config.txt", Config("<kuid:12:7>", "Shed"));
    Write("Shed/roof/slates.txt", "grey slates\n");
    ASSERT_EQ(Run({"installfrompath", (install_.FilesFolder() / "Shed").string()}).exitCode, 0);

    const fs::path archive = install_.FilesFolder() / "Shed.cdp";
    ToolResult result = Run({"createcdp", archive.string(), "<kuid:12:7>"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    ASSERT_TRUE(fs::is_regular_file(archive));
    ASSERT_EQ(Run({"delete", "<kuid:12:7>"}).exitCode, 0);
    EXPECT_EQ(Run({"status", "<kuid:12:7>"}).exitCode, 255);

    result = Run({"installcdp", archive.string()});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    result = Run({"status", "<kuid:12:7>"});
    EXPECT_EQ(result.out, "+ <kuid:12:7> : eIadlmf : BD : Shed\n" + kNoErrors);
}

}  // namespace

// installfromfpx succeeds whatever happens: an asset already here is only looked up, and a
// search the download service does not answer is named in the log.
TEST(InstallFromFPXE2E, AnAssetHereIsLeftAloneAndAFailedSearchIsNamed) {
    Installation install;
    install.SetDaemonScript(
        "assets { 0 { folder \"coal\" config { kuid <kuid:12:1> username \"Coal\" } } }\n");
    install.RecordDaemon();
    const ToolResult here = install.Run({"installfromfpx", "<kuid:12:1>"});
    EXPECT_EQ(here.out, kNoErrors);
    EXPECT_EQ(here.exitCode, 0);
    EXPECT_EQ(install.DaemonRequestCount(230), 0);

    const ToolResult absent = install.Run({"installfromfpx", "<kuid:12:80>"});
    EXPECT_EQ(absent.out,
              "- <NULL> : Failed to query FPX for <kuid:12:80>\nOK (1 Errors, 0 Warnings)\n");
    EXPECT_EQ(absent.exitCode, 0);
    EXPECT_EQ(install.DaemonRequestCount(231), 1);
}
