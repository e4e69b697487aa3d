// `validate` end to end: the installed tool, its stand-in daemon and the command host the
// daemon starts, over the installation's own templates. The project's examples validate
// clean; an asset made for a newer build gets one finding about it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

// The output lines that begin with prefix.
std::vector<std::string> LinesStarting(const std::string& out, const std::string& prefix) {
    std::istringstream in(out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
}

TEST(ValidateE2E, TheExamplesValidateCleanAndAFutureBuildIsReported) {
    Installation install;
    const ToolResult installed =
        install.Run({"installfrompath", (fs::path(KODRIN_SOURCE) / "examples").string()});
    ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;
    for (const char* kuid : {"<kuid:414100:1001>", "<kuid:414100:1002>", "<kuid:414100:1003>"}) {
        const ToolResult result = install.Run({"validate", kuid});
        EXPECT_FALSE(result.timedOut) << kuid;
        EXPECT_EQ(result.exitCode, 0) << kuid;
        EXPECT_EQ(result.out, "OK (0 Errors, 0 Warnings)\n") << kuid << result.err;
    }

    const fs::path future = install.FilesFolder() / "future" / "tower";
    fs::create_directories(future);
    std::ofstream(future / "config.txt") << "kuid <kuid:414100:2001>\n"
                                            "kind \"scenery\"\n"
                                            "username \"Future tower\"\n"
                                            "kodrin-build 3.31\n";
    ASSERT_EQ(install.Run({"installfrompath", future.parent_path().string()}).exitCode, 0);
    const ToolResult result = install.Run({"validate", "<kuid:414100:2001>"});
    EXPECT_FALSE(result.timedOut);
    const std::vector<std::string> findings = LinesStarting(result.out, "- ");
    ASSERT_EQ(findings.size(), 1u) << result.out;
    EXPECT_EQ(findings[0], "- <kuid:414100:2001> : This asset was made for a newer build than "
                           "this tool validates (3.3 and below).");
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

TEST(ValidateE2E, MatchingAndExportFindingsArePrintedInTheOrderFound) {
    Installation install;
    const fs::path asset = install.FilesFolder() / "unchecked" / "crate";
    fs::create_directories(asset);
    std::ofstream(asset / "config.txt") << "kuid <kuid:414100:2002>\n"
                                           "kind \"scenery\"\n"
                                           "kodrin-build 3.3\n"
                                           "paint \"red\"\n"
                                           "category-class \"QQ\"\n";
    ASSERT_EQ(install.Run({"installfrompath", asset.parent_path().string()}).exitCode, 0);
    const ToolResult result = install.Run({"validate", "<kuid:414100:2002>"});
    EXPECT_FALSE(result.timedOut);
    const std::string subject = " <kuid:414100:2002> : ";
    std::vector<std::string> findings;
    for (const std::string& line : LinesStarting(result.out, ""))
        if (line.find(subject) != std::string::npos) findings.push_back(line);
    EXPECT_EQ(findings,
              (std::vector<std::string>{
                  "-" + subject + "The tag paint in scenery is not defined for this kind of asset.",
                  "!" + subject + "The tag username is missing; its default is used.",
                  "-" + subject + "The tag username in scenery must not be empty.",
                  "-" + subject + "The tag category-class in scenery has no value from its list.",
              }))
        << result.out;
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

// A converted texture without its description is an error for a current build.
TEST(ValidateE2E, ALoneConvertedTextureIsReported) {
    Installation install;
    const fs::path shed = install.FilesFolder() / "textured" / "shed";
    fs::create_directories(shed);
    std::ofstream(shed / "config.txt") << "kuid <kuid:414100:2002>\n"
                                          "kind \"scenery\"\n"
                                          "username \"Shed\"\n"
                                          "kodrin-build 3.3\n";
    std::ofstream(shed / "roof.texture") << "converted";
    ASSERT_EQ(install.Run({"installfrompath", shed.parent_path().string()}).exitCode, 0);
    const ToolResult result = install.Run({"validate", "<kuid:414100:2002>"});
    EXPECT_FALSE(result.timedOut);
    const std::vector<std::string> findings = LinesStarting(result.out, "- ");
    ASSERT_EQ(findings.size(), 1u) << result.out;
    EXPECT_EQ(findings[0], "- <kuid:414100:2002> : The converted texture 'roof.texture' has no "
                           "texture description beside it.");
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}


// A reference to an asset the database does not hold is a warning. Like every finding of
// the folder stage it reaches the log only when that stage fails (here: a converted texture
// without its description).
TEST(ValidateE2E, AReferenceToAnUninstalledAssetIsAWarning) {
    Installation install;
    const fs::path hut = install.FilesFolder() / "referring" / "hut";
    fs::create_directories(hut);
    std::ofstream(hut / "config.txt") << "kuid <kuid:414100:2003>\n"
                                         "kind \"scenery\"\n"
                                         "username \"Hut\"\n"
                                         "kodrin-build 3.3\n"
                                         "mesh-asset <kuid:414100:9999>\n";
    ASSERT_EQ(install.Run({"installfrompath", hut.parent_path().string()}).exitCode, 0);
    const ToolResult clean = install.Run({"validate", "<kuid:414100:2003>"});
    EXPECT_FALSE(clean.timedOut);
    EXPECT_EQ(clean.out, "OK (0 Errors, 0 Warnings)\n") << clean.err;

    std::ofstream(hut / "roof.texture") << "converted";
    ASSERT_EQ(install.Run({"installfrompath", hut.parent_path().string()}).exitCode, 0);
    const ToolResult failed = install.Run({"validate", "<kuid:414100:2003>"});
    EXPECT_FALSE(failed.timedOut);
    EXPECT_EQ(LinesStarting(failed.out, "! "),
              (std::vector<std::string>{"! <kuid:414100:2003> : The asset <kuid:414100:9999> is "
                                        "not in the asset database."}))
        << failed.out;
    EXPECT_EQ(LinesStarting(failed.out, "- ").size(), 1u) << failed.out;
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

} // namespace
