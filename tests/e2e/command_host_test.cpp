// The command host as a process of the installed tool against its own stand-in daemon: the
// daemon pushes the script's jobs one at a time, each after the answer to the one before
// (an install from an archive of an unknown version, a validation, a job that names no
// job and gets no answer), and the host ends with 0 when the daemon closes. And `validate`
// runs through a command host that the daemon starts by itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

// One tag per line: the text reader takes the rest of a line after a KUID as part of it.
const std::string kSeed = "assets { 0 { folder \"coal_wagon\" config {\n"
                          "kuid <kuid:12:1>\nkind \"traincar\"\nusername \"Coal wagon\"\n} } }\n";

std::string Hex(const std::string& bytes) {
    std::string hex;
    for (unsigned char c : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", c);
        hex += digits;
    }
    return hex;
}
std::string Le32Hex(uint32_t value) {
    return Hex(std::string{static_cast<char>(value), static_cast<char>(value >> 8),
                           static_cast<char>(value >> 16), static_cast<char>(value >> 24)});
}
std::string PStringHex(const std::string& text) {
    return Le32Hex(static_cast<uint32_t>(text.size() + 1)) + Hex(text) + "00";
}

// The record lines that begin with prefix and hold part.
std::vector<std::string> Lines(const std::string& record, const std::string& prefix,
                               const std::string& part) {
    std::istringstream in(record);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0 && line.find(part) != std::string::npos)
            lines.push_back(line);
    }
    return lines;
}
std::string DataOf(const std::string& line) {
    const size_t at = line.find(" data=");
    return at == std::string::npos ? "" : line.substr(at + 6);
}

template <typename Condition> bool WaitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST(CommandHostE2E, ServesTheScriptsJobsInTurnAndEndsWithTheDaemon) {
    Installation install;
    // Version 2: magic "crak", version, end offset, tag 5.
    const fs::path archive = install.FilesFolder() / "future.karc";
    {
        const std::string bytes = std::string("crak") + std::string("\x02\0\0\0", 4) +
                                  std::string("\x14\0\0\0", 4) + std::string("\x05\0\0\0", 4) +
                                  std::string(8, '\xFF');
        std::ofstream(archive, std::ios::binary) << bytes;
    }
    const std::string install3 =
        Le32Hex(3) + Le32Hex(5) + PStringHex(archive.string()) + Le32Hex(1) + "010000000c000000";
    const std::string validate0 =
        Le32Hex(0) + PStringHex("local/coal_wagon") +
        PStringHex((install.Root() / "UserData/local/coal_wagon").string());
    install.SetDaemonScript(kSeed + "jobs {\n 0 { data \"" + install3 + "\" }\n 1 { data \"" +
                            validate0 + "\" }\n 2 { data \"07000000\" }\n}\n");
    install.RecordDaemon();

    ToolResult host;
    std::thread hostRun([&] { host = install.Run({"kavcommandhost"}); });
    const bool served =
        WaitFor([&] { return Lines(install.DaemonRecord(), "note ", " kind=1 ").size() == 3; });
    const ToolResult close = install.Run({"closekavdaemon"});
    hostRun.join();
    ASSERT_TRUE(served) << install.DaemonRecord();
    EXPECT_EQ(close.exitCode, 0);
    EXPECT_FALSE(host.timedOut);
    EXPECT_EQ(host.exitCode, 0);

    const std::string record = install.DaemonRecord();
    const std::vector<std::string> answers = Lines(record, "request ", " id=141 ");
    ASSERT_EQ(answers.size(), 2u) << record; // the unknown job got none
    // The install: one error naming the version, then the list of one KUID left.
    EXPECT_NE(
        DataOf(answers[0]).find(Hex("The archive has version 2, which this tool cannot read.")),
        std::string::npos)
        << answers[0];
    EXPECT_EQ(DataOf(answers[0]).substr(DataOf(answers[0]).size() - 24), "01000000"
                                                                         "010000000c000000");
    // The validation: an empty log (version 0, no entry), then true.
    EXPECT_EQ(DataOf(answers[1]), "00000000"
                                  "00000000"
                                  "01");
    EXPECT_EQ(Lines(record, "host ", " registered").size(), 1u);
}

TEST(CommandHostE2E, ValidateRunsThroughACommandHostTheDaemonStarts) {
    Installation install;
    install.SetDaemonScript(kSeed);
    install.RecordDaemon();
    for (int run = 0; run < 2; ++run) {
        const ToolResult result = install.Run({"validate", "<kuid:12:1>"});
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 0) << result.out;
        EXPECT_EQ(result.out, "OK (0 Errors, 0 Warnings)\n");
    }
    const std::string record = install.DaemonRecord();
    EXPECT_EQ(Lines(record, "relay ", " host=").size(), 2u) << record;
    EXPECT_EQ(Lines(record, "host ", " registered").size(), 1u) << record; // started once
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

} // namespace
