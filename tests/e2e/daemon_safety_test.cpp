// The stand-in daemon keeps the user's data and says why it refuses, seen through the
// installed tool: refusals printed as the daemon's error notes, an install over an asset
// open for editing keeping the edits in the trash, the leftovers of a killed daemon cleared
// at the next start, files an archive may not install named, every author listed, and new
// KUIDs on a fresh installation.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

const char kSeed[] = R"(localuser
{
  user 12
  next 100
}
assets
{
  0
  {
    folder "coal_shed"
    config
    {
      kuid <kuid:12:1>
      kind "scenery"
      username "Coal shed"
    }
  }
}
)";

const std::string kOneError = "OK (1 Errors, 0 Warnings)\n";

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class DaemonSafetyE2E : public testing::Test {
  protected:
    ToolResult Run(const std::vector<std::string>& args) {
        const ToolResult result = install_.Run(args);
        EXPECT_FALSE(result.timedOut) << args[0];
        return result;
    }
    fs::path UserData(const std::string& relative) const {
        return install_.Root() / "UserData" / relative;
    }

    Installation install_;
};

TEST_F(DaemonSafetyE2E, EveryRefusalIsPrintedWithItsCause) {
    install_.SetDaemonScript(kSeed);
    const struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"commit", "<kuid:12:9>"}, "- <kuid:12:9> : Unknown AssetID.\n" + kOneError},
        {{"revert", "<kuid:12:9>"}, "- <kuid:12:9> : Unknown AssetID.\n" + kOneError},
        {{"delete", "<kuid:12:9>"}, "- <kuid:12:9> : Unknown AssetID.\n" + kOneError},
        {{"validate", "<kuid:12:9>"}, "- <kuid:12:9> : Unknown AssetID.\n" + kOneError},
        {{"edit", "<kuid:12:9>"}, "- <kuid:12:9> : Unknown AssetID.\n" + kOneError},
        {{"revert", "<kuid:12:1>"},
         "- <kuid:12:1> : The asset is not open for editing.\n" + kOneError},
    };
    for (const auto& step : cases) {
        const ToolResult result = Run(step.args);
        EXPECT_EQ(result.out, step.out) << step.args[0];
        EXPECT_EQ(result.exitCode, 255) << step.args[0];
    }
}

TEST_F(DaemonSafetyE2E, InstallingOverAnEditKeepsTheEditsInTheTrash) {
    install_.SetDaemonScript(kSeed);
    ASSERT_EQ(Run({"edit", "<kuid:12:1>"}).exitCode, 0);
    Write(UserData("editing/coal_shed/notes.txt"), "my unsaved edit\n");
    const fs::path source = install_.FilesFolder() / "Shed";
    Write(source / "config.txt", "kuid <kuid:12:1>\nkind \"scenery\"\nusername \"Coal shed\"\n");

    const ToolResult result = Run({"installfrompath", source.string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("! <kuid:12:1> : Coal shed was open for editing: replaced.\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(FileText(UserData("trash/coal_shed-edited/notes.txt")), "my unsaved edit\n");
    EXPECT_NE(result.out.find(UserData("trash/coal_shed-edited").string()), std::string::npos);
}

// A killed daemon left a half-built asset folder in "local" and a staging folder whose
// number is now a live process's (the test's own): both are cleared at the next start, and
// the asset installs under its plain folder name.
TEST_F(DaemonSafetyE2E, LeftoversOfAKilledDaemonAreClearedAtStart) {
    Write(UserData("local/kuid_12_5_0/half.txt"), "half\n");
    Write(UserData("installing/" + std::to_string(getpid()) + "_1/1/config.txt"), "kuid\n");
    const fs::path source = install_.FilesFolder() / "Lamp";
    Write(source / "config.txt", "kuid <kuid:12:5>\nkind \"scenery\"\nusername \"Lamp\"\n");

    ASSERT_EQ(Run({"installfrompath", source.string()}).exitCode, 0);
    EXPECT_EQ(FileText(UserData("trash/kuid_12_5_0/half.txt")), "half\n");
    EXPECT_TRUE(fs::exists(UserData("local/kuid_12_5_0/config.txt")));
    EXPECT_FALSE(fs::exists(UserData("local/kuid_12_5_0/half.txt")));
    EXPECT_FALSE(fs::exists(UserData("installing/" + std::to_string(getpid()) + "_1")));
}

TEST_F(DaemonSafetyE2E, AnArchivesSkippedFilesAreNamed) {
    const fs::path source = install_.FilesFolder() / "Box";
    Write(source / "config.txt", "kuid <kuid:12:7>\nkind \"scenery\"\nusername \"Box\"\n");
    Write(source / "notes.doc", "not an archive type\n");
    Write(source / "ok.txt", "kept\n");
    ASSERT_EQ(Run({"installfrompath", source.string()}).exitCode, 0);
    const fs::path archive = install_.FilesFolder() / "Box.cdp";
    ASSERT_EQ(Run({"createcdp", archive.string(), "<kuid:12:7>"}).exitCode, 0);

    const ToolResult result = Run({"installcdp", archive.string()});
    EXPECT_NE(result.out.find("! <kuid:12:7> : Skipped the file notes.doc: archives may not "
                              "install it.\n"),
              std::string::npos)
        << result.out;
}

// No script seeds a local user or an author name.
TEST_F(DaemonSafetyE2E, AFreshInstallationListsAuthorsAndGivesKuids) {
    for (int i = 1; i <= 3; ++i) {
        const fs::path source = install_.FilesFolder() / ("a" + std::to_string(i));
        Write(source / "config.txt",
              "kuid <kuid:77:" + std::to_string(i) + ">\nkind \"scenery\"\nusername \"A\"\n");
        ASSERT_EQ(Run({"installfrompath", source.string()}).exitCode, 0);
    }
    ToolResult result = Run({"authors"});
    EXPECT_EQ(result.out, "author 77\nOK (0 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 0);

    result = Run({"generatekuid"});
    EXPECT_EQ(result.out, "<KUID2:500000:1:0>\nOK (0 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 0);
    result = Run({"generatekuid"});
    EXPECT_EQ(result.out, "<KUID2:500000:2:0>\nOK (0 Errors, 0 Warnings)\n");
}

} // namespace
