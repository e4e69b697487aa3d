// The asset commands as processes of the installed tool against its own stand-in daemon,
// seeded with two local assets: status through an edit cycle, an unknown asset, new KUIDs,
// the build list, a category search, CDP archives, the stored language, and the printed
// form of an unknown word.
#include <gtest/gtest.h>

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
builds "3.5"
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
      category-class "BD"
    }
  }
  1
  {
    folder "bin"
    config
    {
      kuid <kuid:12:2>
      kind "scenery"
      username "Bin"
      category-class "BIN"
    }
  }
}
)";

const std::string kNoErrors = "OK (0 Errors, 0 Warnings)\n";
const std::string kOneError = "OK (1 Errors, 0 Warnings)\n";

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

class AssetCommandsE2E : public testing::Test {
protected:
    void SetUp() override { install_.SetDaemonScript(kSeed); }

    // Runs the tool and expects it to finish by itself with empty standard error.
    ToolResult Run(const std::vector<std::string>& args) {
        const ToolResult result = install_.Run(args);
        EXPECT_FALSE(result.timedOut) << args[0];
        EXPECT_EQ(result.err, "") << args[0];
        return result;
    }

    Installation install_;
};

// Opening for edit sets E, committing clears it and marks the asset locally modified.
TEST_F(AssetCommandsE2E, StatusFollowsTheEditCycle) {
    struct {
        std::vector<std::string> args;
        std::string out;
        int exitCode;
    } steps[] = {
        {{"status", "<kuid:12:1>"}, "+ <kuid:12:1> : eIadlmf : BD : Coal shed\n" + kNoErrors, 0},
        {{"status", "<KUID:12:9>"}, "- <kuid:12:9> : Unknown AssetID.\n" + kOneError, 255},
        {{"status", "12:1"}, "- <NULL> : Unknown AssetID.\n" + kOneError, 255},
        {{"edit", "<kuid:12:1>"}, "", 0},
        {{"status", "<kuid:12:1>"}, "+ <kuid:12:1> : EIadlmf : BD : Coal shed\n" + kNoErrors, 0},
        {{"commit", "<kuid:12:1>"}, kNoErrors, 0},
        {{"status", "<kuid:12:1>"}, "+ <kuid:12:1> : eIadLmf : BD : Coal shed\n" + kNoErrors, 0},
    };
    for (const auto& step : steps) {
        const ToolResult result = Run(step.args);
        EXPECT_EQ(result.exitCode, step.exitCode) << step.args[0] << " " << step.args[1];
        if (step.args[0] != "edit") {
            EXPECT_EQ(result.out, step.out) << step.args[0] << " " << step.args[1];
            continue;
        }
        // "+ <kuid:12:1> : <the edit copy's folder>", then the counts line.
        const std::string prefix = "+ <kuid:12:1> : ";
        ASSERT_EQ(result.out.rfind(prefix, 0), 0u) << result.out;
        const std::string folder = result.out.substr(prefix.size(), result.out.find('\n') - prefix.size());
        EXPECT_TRUE(fs::is_directory(folder)) << folder;
        EXPECT_EQ(result.out.substr(result.out.find('\n') + 1), kNoErrors);
    }
}

// The link dropped during the commit: the tool cannot know whether the daemon committed,
// says so and names the command that tells; a later status answers it.
TEST_F(AssetCommandsE2E, ACommitWhoseLinkIsLostPointsAtStatus) {
    install_.SetDaemonScript(std::string(kSeed) +
                             "requests\n{\n  0\n  {\n    request 34\n    fault \"drop-link\"\n"
                             "    times 1\n  }\n}\n");
    ASSERT_EQ(Run({"edit", "<kuid:12:1>"}).exitCode, 0);
    const ToolResult commit = install_.Run({"commit", "<kuid:12:1>"});
    EXPECT_EQ(commit.exitCode, 255);
    const std::string said = "- <kuid:12:1> : The connection to the asset database was lost during "
                             "the commit; \"status <kuid:12:1>\" shows whether the commit went through.\n";
    EXPECT_NE(commit.out.find(said), std::string::npos) << commit.out;
    const ToolResult status = Run({"status", "<kuid:12:1>"});
    EXPECT_EQ(status.exitCode, 0);
    EXPECT_EQ(status.out.rfind("+ <kuid:12:1> : ", 0), 0u) << status.out;
}

TEST_F(AssetCommandsE2E, NewKuidsBuildListAndCategorySearch) {
    ToolResult result = Run({"generatekuid"});
    EXPECT_EQ(result.out, "<KUID2:12:100:0>\n" + kNoErrors);
    EXPECT_EQ(result.exitCode, 0);

    const fs::path list = install_.FilesFolder() / "Builds.txt";
    result = Run({"listbuilds", list.string()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(FileText(list), "3.5\r\n");

    result = Run({"listbuilds", (install_.FilesFolder() / "missing" / "builds.txt").string()});
    EXPECT_EQ(result.out, "- <NULL> : Failed to open output file.\n" + kOneError);
    EXPECT_EQ(result.exitCode, 255);

    result = Run({"searchbycategory", "bd"});
    EXPECT_EQ(result.out, "+ 1 : assets matching the specified criteria\n"
                          "+ #0 : <kuid:12:1>\n" + kNoErrors);
    EXPECT_EQ(result.exitCode, 0);

    result = Run({"searchbycategory", "-a", "MESH"});
    EXPECT_EQ(result.out, "- <NULL> : No assets match the specified criteria.\n" + kOneError);
    EXPECT_EQ(result.exitCode, 255);
}

// An archive is written only when every asset could go in; without assets it is empty.
TEST_F(AssetCommandsE2E, CreateCDPRefusesAnAssetThatIsNotLocal) {
    const fs::path empty = install_.FilesFolder() / "Empty.cdp";
    ToolResult result = Run({"createcdp", empty.string()});
    EXPECT_EQ(result.out, kNoErrors);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(FileText(empty).substr(0, 4), "ACS$");

    const fs::path refused = install_.FilesFolder() / "refused.cdp";
    result = Run({"createcdp", refused.string(), "<kuid:12:9>", "<kuid:12:1>"});
    EXPECT_EQ(result.out, "- <kuid:12:9> : Asset is not local.\n" + kOneError);
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_FALSE(fs::exists(refused));
}

// An archive that cannot be written says why (not that the extension is wrong), on
// standard error and as an error line; an old archive in its place stays as it was.
TEST_F(AssetCommandsE2E, CreateCDPThatCannotWriteSaysWhy) {
    const struct {
        fs::path output;
        const char* reason;
    } cases[] = {
        {install_.FilesFolder() / "missing" / "out.cdp", "No such file or directory"},
        {install_.FilesFolder() / (std::string(300, 'n') + ".cdp"), "File name too long"},
    };
    for (const auto& c : cases) {
        const ToolResult result = install_.Run({"createcdp", c.output.string(), "<kuid:12:1>"});
        EXPECT_EQ(result.exitCode, 255) << c.reason;
        const std::string head = "Unable to write archive file '" + c.output.string() + "': ";
        EXPECT_EQ(result.err.rfind(head, 0), 0u) << result.err;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "- <NULL> : " + result.err + kOneError);
    }
}

// The language is read at start-up: the next run looks for the French interface text.
TEST_F(AssetCommandsE2E, SetLanguageTakesEffectAtTheNextStart) {
    ToolResult result = Run({"setlanguage", "FR"});
    EXPECT_EQ(result.out, kNoErrors);
    EXPECT_EQ(result.exitCode, 0);
    result = Run({"version", "-kivlog"});
    EXPECT_NE(result.out.find("'interfaceFrench.chump'"), std::string::npos) << result.out;
    // Only English text ships: French messages fall back to it, never to the bare key.
    result = Run({"fpxparse", "/no/such/delivery.cdp"});
    EXPECT_EQ(result.out, "- <NULL> : Cannot read the archive /no/such/delivery.cdp.\n" + kOneError);
}

// The message ends with a line feed, so its printed line is followed by an empty one.
TEST_F(AssetCommandsE2E, UnknownWordIsAnsweredWithTheInvalidArgumentError) {
    const ToolResult result = Run({"frobnicate"});
    EXPECT_EQ(result.out,
              "- <NULL> : Invalid argument, please check the help for the list of valid argument\n"
              "\n" + kOneError);
    EXPECT_EQ(result.exitCode, 255);
}

}  // namespace
