// The database-wide commands as processes of the installed tool against its own stand-in
// daemon: a repair whose plan streams entries for request 3's transaction (and one more after
// the command's task is gone), keywords imported and backed up again, and a consist list
// imported twice. A repair waits its one second in the tool; these runs are kept few.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

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
    config
    {
      kuid <kuid:12:1>
      kind "traincar"
      username "Hopper"
      category-keyword "old"
    }
  }
  1
  {
    config
    {
      kuid <kuid:12:2>
      kind "traincar"
      username "Tender"
    }
  }
}
)";

const char kRepairPlan[] = R"(repair
{
  polls 1
  text "Checking"
  entries
  {
    0
    {
      kind 2
      text "Old thumbnail"
      kuid <kuid:12:1>
      poll 0
    }
    1
    {
      kind 3
      text "Missing mesh"
      kuid <kuid:12:2>
      poll 1
    }
    2
    {
      kind 3
      text "Too late"
      late 1
    }
  }
}
)";

std::vector<std::string> RecordLines(const Installation& install) {
    std::vector<std::string> lines;
    std::istringstream in(install.DaemonRecord());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The index of the first line at or after from that starts with prefix and holds part;
// lines.size() when none does.
size_t FindLine(const std::vector<std::string>& lines, size_t from, const std::string& prefix,
                const std::string& part = "") {
    for (size_t i = from; i < lines.size(); ++i) {
        if (lines[i].rfind(prefix, 0) == 0 && lines[i].find(part) != std::string::npos) return i;
    }
    return lines.size();
}

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(DatabaseCommandsE2E, ExtendedRepairShowsTheDaemonsEntriesAndAnErrorGives255) {
    Installation install;
    install.SetDaemonScript(kRepairPlan);
    install.RecordDaemon();
    const ToolResult result = install.Run({"repairdatabase", "extended"});
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.out,
              "Repairing asset database (this may take some time)\n"
              "! <kuid:12:1> : Old thumbnail\n"
              "- <kuid:12:2> : Missing mesh\n"
              "OK (1 Errors, 1 Warnings)\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitCode, 255);
    const std::vector<std::string> lines = RecordLines(install);
    EXPECT_LT(FindLine(lines, 0, "request 1 id=3 ", "len=4 data=96000000"), lines.size());
}

// The patcher's repair prints no line of its own and ends with request 256; the entry the
// daemon sends for the repair after the task is gone comes with 256 and is dropped.
TEST(DatabaseCommandsE2E, PatcherRepairIsQuietAndItsLateEntryIsDropped) {
    Installation install;
    install.SetDaemonScript(std::string(kRepairPlan).replace(std::string(kRepairPlan).find("poll 1"),
                                                             6, "poll 0"));
    install.RecordDaemon();
    const ToolResult result = install.Run({"repairdatabase", "patcher"});
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.out,
              "! <kuid:12:1> : Old thumbnail\n"
              "- <kuid:12:2> : Missing mesh\n"
              "OK (1 Errors, 1 Warnings)\n");
    EXPECT_EQ(result.exitCode, 255);
    const std::vector<std::string> lines = RecordLines(install);
    const size_t start = FindLine(lines, 0, "request 1 id=3 ", "len=4 data=32000000");
    const size_t patcher = FindLine(lines, start, "request 1 id=256 ");
    ASSERT_LT(patcher, lines.size());
    EXPECT_LT(FindLine(lines, start, "request 1 id=4 "), patcher);
    EXPECT_LT(FindLine(lines, patcher, "note 1 kind=3 "), FindLine(lines, patcher, "reply 1 "));
}

TEST(DatabaseCommandsE2E, RepairWithWarningsOnlySucceeds) {
    Installation install;
    install.SetDaemonScript("repair\n{\n  entries\n  {\n    0\n    {\n      kind 2\n"
                            "      text \"Old thumbnail\"\n    }\n  }\n}\n");
    const ToolResult result = install.Run({"repairdatabase"});
    EXPECT_EQ(result.out,
              "Repairing asset database (this may take some time)\n"
              "! <NULL> : Old thumbnail\n"
              "OK (0 Errors, 1 Warnings)\n");
    EXPECT_EQ(result.exitCode, 0);
}

// Keywords set from "KeywordsDump.dat" come back in "KeywordsBackup.dat", both in the
// installation folder; the dump names one asset by a bare KUID text.
TEST(DatabaseCommandsE2E, KeywordsImportedThenBackedUpRoundTrip) {
    Installation install;
    install.SetDaemonScript(kSeed);
    install.WriteFile("KeywordsDump.dat", "<kuid:12:1> \"coal dust\"\r\n12:2 \"bins,rubbish\"\r\n");
    ToolResult result = install.Run({"importkeywords"});
    EXPECT_EQ(result.out, "OK (0 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 0);
    result = install.Run({"backupkeywords"});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_EQ(FileText(install.Root() / "KeywordsBackup.dat"),
              "\xEF\xBB\xBF\r\n"
              "<kuid:12:1>" + std::string(29, ' ') + "\"coal dust\"\r\n" +
              "<kuid:12:2>" + std::string(29, ' ') + "\"bins,rubbish\"\r\n");
}

// Each failure of the keyword commands says why: the import names the file it looked
// for, a backup that cannot be written names the system's reason and keeps the old file.
TEST(DatabaseCommandsE2E, KeywordFailuresSayWhy) {
    Installation install;
    install.SetDaemonScript(kSeed);
    ToolResult result = install.Run({"importkeywords"});
    EXPECT_EQ(result.out, "- <NULL> : Unable to read the keyword file '" +
                              (install.Root() / "KeywordsDump.dat").string() +
                              "'\nOK (1 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 255);

    result = install.Run({"backupkeywords", "missing/folder/k.dat"});
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_EQ(result.out.rfind("- <NULL> : Unable to write the keyword backup 'missing/folder/k.dat': ", 0), 0u)
        << result.out;
    EXPECT_NE(result.out.find("No such file or directory\nOK (1 Errors, 0 Warnings)\n"), std::string::npos)
        << result.out;
}

// Trains 0, 1 and 3: the first two become consists; a second run finds them by name and
// creates nothing; a list that does not load is refused.
TEST(DatabaseCommandsE2E, ConsistListImportsOnceFromTheStartFolder) {
    Installation install;
    install.SetDaemonScript(kSeed);
    install.RecordDaemon();
    std::string list;
    for (int t : {0, 1, 3}) {
        list += "train-" + std::to_string(t) + "\r\n{\r\n  name \"Coal " + std::to_string(t) +
                "\"\r\n  list\r\n  {\r\n    car-0 <kuid:12:1>\r\n    car-1 <kuid:12:2>\r\n"
                "    dir-1 1\r\n  }\r\n}\r\n";
    }
    std::ofstream(install.FilesFolder() / "consists.txt", std::ios::binary) << list;

    for (int run = 0; run < 2; ++run) {
        const ToolResult result = install.Run({"importconsists", "consists.txt"},
                                              install.FilesFolder());
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        EXPECT_EQ(install.DaemonRequestCount(35), 2) << "run " << run;
        EXPECT_EQ(install.DaemonRequestCount(34), 2) << "run " << run;
    }
    const ToolResult found = install.Run({"searchbycategory", "CN"});
    EXPECT_EQ(found.out.substr(0, found.out.find('\n')), "+ 2 : assets matching the specified criteria");

    const ToolResult refused =
        install.Run({"importconsists", "missing.txt"}, install.FilesFolder());
    EXPECT_EQ(refused.out, "- <NULL> : Invalid input path.\nOK (1 Errors, 0 Warnings)\n");
    EXPECT_EQ(refused.exitCode, 255);
}

}  // namespace
