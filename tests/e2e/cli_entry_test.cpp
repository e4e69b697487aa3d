// The installed tool as a process: help, the daemon-free command words, unknown words and
// batch files, with the output and the exit status a parent sees.
#include <gtest/gtest.h>

#include <sstream>

#include "tool_process.h"

namespace {

using e2e::Installation;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

const char kOkLine[] = "OK (0 Errors, 0 Warnings)\n";
const char kInvalidLine[] =
    "- <NULL> : Invalid argument, please check the help for the list of valid argument\n\n";

TEST(CliEntry, HelpTextAndItsExitCodes) {
    Installation install;
    e2e::ToolResult bare = install.Run({});
    e2e::ToolResult help = install.Run({"HELP"});
    EXPECT_EQ(bare.exitCode, 255);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(bare.out, help.out);
    EXPECT_TRUE(help.err.empty());

    std::vector<std::string> lines = Lines(help.out);
    ASSERT_EQ(lines.size(), 45u);  // 44 lines and the extra line end
    struct { size_t index; const char* text; } expected[] = {
        {0, "Welcome to the Kodrin Util Tool!"},
        {2, "----------------------------------------------------------"},
        {9, "KodrinUtil installfromfpx <KUID> - Install an asset from the Pelmo Fetchport."},
        {21, "KodrinUtil searchbycategory [-a] <CatgoryList>  - List all the local assets with a "
             "category set in this format, \"CMP;MESH|BD;-ACTV|VE|SCEN\". Use the -a parameter "
             "if you want to search the fetchport as well."},
        {25, "\tEe - The asset is open for edit."},
        {34, "\t<-d>       Display vizavozado documentation."},
        {42, "KodrinUtil listbuilds <PATH> - Print the list of installed build numbers to a file"},
        {43, "KodrinUtil @<file.txt> - Batch-execute a series of commands from the specified text "
             "file (every argument must be between double quotes.) Every line of that text file "
             "will be processed like a separate call to KodrinUtil."},
        {44, ""},
    };
    for (const auto& line : expected) EXPECT_EQ(lines[line.index], line.text) << line.index;
    EXPECT_EQ(lines[2].size(), 58u);
}

TEST(CliEntry, DaemonFreeWords) {
    Installation install;
    struct { std::vector<std::string> args; std::string out; int exitCode; } cases[] = {
        {{"version"}, std::string("Build 49933\n") + kOkLine, 0},
        {{"VERSION"}, std::string("Build 49933\n") + kOkLine, 0},
        {{"installedversion"}, kOkLine, 330 & 0xFF},
        {{"installedversionlo"}, kOkLine, 74},
        {{"installedversionhi"}, kOkLine, 1},
        {{"installedbuildnumber"}, kOkLine, 49933 & 0xFF},
        {{"installedbuildnumberlo"}, kOkLine, 13},
        {{"installedbuildnumberhi"}, kOkLine, 195},
        {{"echo", "a", "B c"}, std::string("a B c \n") + kOkLine, 0},
        {{"nosuchword"}, std::string(kInvalidLine) + "OK (1 Errors, 0 Warnings)\n", 255},
    };
    for (const auto& c : cases) {
        e2e::ToolResult result = install.Run(c.args);
        EXPECT_EQ(result.out, c.out) << c.args[0];
        EXPECT_EQ(result.exitCode, c.exitCode) << c.args[0];
    }
}

TEST(CliEntry, BatchFileRunsEveryLineAndFailsOnce) {
    Installation install;
    auto batch = install.WriteFile("work/batch.txt",
                                   "\"echo\" \"two words\" plain\r\n"
                                   "\r\n"
                                   "nosuchword\r\n"
                                   "version\r\n");
    e2e::ToolResult result = install.Run({"@" + batch.string()});
    EXPECT_EQ(result.out, std::string("two words plain \n") + kOkLine + "\n" + kInvalidLine +
                              "OK (1 Errors, 0 Warnings)\n\n" + "Build 49933\n" + kOkLine + "\n");
    EXPECT_EQ(result.exitCode, 255);
}

TEST(CliEntry, BatchFileWithoutFinalLineBreakAndEmptyTail) {
    Installation install;
    auto noBreak = install.WriteFile("a.txt", "version");
    auto withBreak = install.WriteFile("b.txt", "version\n");
    for (const auto& batch : {noBreak, withBreak}) {
        e2e::ToolResult result = install.Run({"@" + batch.string()});
        EXPECT_EQ(result.out, std::string("Build 49933\n") + kOkLine + "\n") << batch;
        EXPECT_EQ(result.exitCode, 0) << batch;
    }
}

TEST(CliEntry, OverlongBatchLineIsDroppedNotRunAsANewCommand) {
    Installation install;
    // 600 bytes: the tail past the line buffer would run `version` if it became a new line.
    std::string line = "echo " + std::string(588, 'x') + " version\n";
    auto batch = install.WriteFile("long.txt", line + "version\n");
    e2e::ToolResult result = install.Run({"@" + batch.string()});
    std::string echoed = "echo " + std::string(588, 'x') + " version";
    echoed = echoed.substr(5, 511 - 5);  // the first 511 bytes of the line, less the word
    EXPECT_EQ(result.out, echoed + " \n" + kOkLine + "\n" + "Build 49933\n" + kOkLine + "\n");
    EXPECT_EQ(result.exitCode, 0);
}

TEST(CliEntry, MissingBatchFile) {
    Installation install;
    e2e::ToolResult result = install.Run({"@nothere.txt"});
    EXPECT_EQ(result.err,
              "-The file \"nothere.txt\" does not exist, please specify a valid filename\n");
    EXPECT_EQ(result.out,
              "- <NULL> : The batch file \"nothere.txt\" does not exist.\nOK (1 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 255);
}

// A line whose double quote is never closed does not run with that argument missing: an
// error names the line, the other lines still run, and the batch fails.
TEST(CliEntry, ABatchLineWithAnOpenQuoteIsNamedNotRun) {
    Installation install;
    auto batch = install.WriteFile("quote.txt", "version\r\necho \"never closed\r\nversion\r\n");
    e2e::ToolResult result = install.Run({"@" + batch.string()});
    const std::string version = std::string("Build 49933\n") + kOkLine + "\n";
    EXPECT_EQ(result.out, version +
                              "- <NULL> : Line 2 of the batch file was not run: a double quote is not "
                              "closed: echo \"never closed\nOK (1 Errors, 0 Warnings)\n\n" +
                              version);
    EXPECT_EQ(result.exitCode, 255);
}

}  // namespace
