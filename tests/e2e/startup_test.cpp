// Start-up and shut-down of the installed tool as a process: the daemon it needs (missing,
// never answering, reached with and without the handshake flag), the render kernel's
// fall-back to the null renderer, the interface language stored with the daemon, and one
// start-up for a whole batch file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

const char kVersionOutput[] = "Build 49933\nOK (0 Errors, 0 Warnings)\n";
const char kRetryLine[] = "Unable to load render kernel. Retrying with -NullRender.\n";

std::vector<std::string> RecordLines(const Installation& install, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(install.DaemonRecord());
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
}

// Waits (10 s at most) until the daemon's record holds count lines starting with prefix.
bool AwaitRecordLines(const Installation& install, const std::string& prefix, size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (RecordLines(install, prefix).size() < count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Without a daemon that answers, start-up gives up after the client's attempts (about ten
// seconds), with nothing but "- Init failed", and leaves nothing running. A daemon program
// that never publishes a port is launched exactly once.
TEST(StartupE2E, WithoutADaemonStartupFailsOnceItsAttemptsAreSpent) {
    Installation missing;
    fs::remove(missing.Daemon());
    Installation silent;
    const fs::path launches = silent.FilesFolder() / "launches";
    fs::remove(silent.Daemon());
    silent.WriteFile("bin/kavdaemon", "#!/bin/sh\necho launched >> '" + launches.string() + "'\n");
    fs::permissions(silent.Daemon(), fs::perms::owner_all);

    const auto started = std::chrono::steady_clock::now();
    auto runMissing = std::async(std::launch::async, [&] { return missing.Run({"version"}); });
    auto runSilent = std::async(std::launch::async, [&] { return silent.Run({"version"}); });
    const ToolResult results[] = {runMissing.get(), runSilent.get()};
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));

    for (const ToolResult& result : results) {
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.err, "- Init failed\n");
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.exitCode, 255);
    }
    std::ifstream in(launches);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(all, "launched\n");
    EXPECT_TRUE(missing.DaemonProcesses().empty());
    EXPECT_TRUE(silent.DaemonProcesses().empty());
}

// "-nokavclient", in any case and anywhere among the arguments, still connects; only the
// handshake's flag changes. The first run launches the daemon and makes UserData, the later
// ones find the same daemon.
TEST(StartupE2E, NoKavClientChangesOnlyTheHandshakeFlag) {
    Installation install;
    install.RecordDaemon();
    struct {
        std::vector<std::string> args;
        std::string out;
        const char* flag;
    } cases[] = {
        {{"version"}, kVersionOutput, "flag=1"},
        {{"version", "-nokavclient"}, kVersionOutput, "flag=0"},
        {{"echo", "a", "-NoKavClient"}, "a -NoKavClient \nOK (0 Errors, 0 Warnings)\n", "flag=0"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const ToolResult result = install.Run(cases[i].args);
        EXPECT_EQ(result.out, cases[i].out) << i;
        EXPECT_EQ(result.err, "") << i;
        EXPECT_EQ(result.exitCode, 0) << i;
        ASSERT_TRUE(AwaitRecordLines(install, "handshake ", i + 1)) << i;
        const std::string handshake = RecordLines(install, "handshake ")[i];
        EXPECT_NE(handshake.find(" version=330 build=49933 "), std::string::npos) << handshake;
        EXPECT_NE(handshake.find(cases[i].flag), std::string::npos) << handshake;
    }
    EXPECT_EQ(install.DaemonProcesses().size(), 1u);
    for (const char* folder : {"cache/bookmarks", "local", "original", "editing", "settings", "trash"})
        EXPECT_TRUE(fs::is_directory(install.Root() / "UserData" / folder)) << folder;
}

// A batch file runs between one start-up and one shut-down: one handshake, one goodbye.
TEST(StartupE2E, BatchLinesShareOneConnection) {
    Installation install;
    install.RecordDaemon();
    const fs::path batch = install.WriteFile("batch.txt", "version\nversion\n");
    const ToolResult result = install.Run({"@" + batch.string()});
    EXPECT_EQ(result.out, std::string(kVersionOutput) + "\n" + kVersionOutput + "\n");
    EXPECT_EQ(result.exitCode, 0);
    ASSERT_TRUE(AwaitRecordLines(install, "goodbye ", 1));
    EXPECT_EQ(RecordLines(install, "handshake ").size(), 1u);
    EXPECT_EQ(RecordLines(install, "goodbye ").size(), 1u);
}

// The render kernel retries once with the null renderer; when that fails too, start-up
// ends before the daemon is ever launched.
TEST(StartupE2E, RenderKernelFallsBackToTheNullRendererOnce) {
    struct {
        const char* failure;
        std::vector<std::string> args;
        std::string out;
        std::string err;
        int exitCode;
    } cases[] = {
        {"opengl", {"version"}, kVersionOutput, kRetryLine, 0},
        {"OpenGL", {"version", "NORENDER"}, kVersionOutput, "", 0},
        {"all", {"version"}, "",
         std::string(kRetryLine) + "- Unable to initialize render system\n\n- Init failed\n", 255},
    };
    for (const auto& c : cases) {
        Installation install;
        install.SetEnv("KIV_RENDER_FAIL", c.failure);
        const ToolResult result = install.Run(c.args);
        EXPECT_EQ(result.out, c.out) << c.failure;
        EXPECT_EQ(result.err, c.err) << c.failure;
        EXPECT_EQ(result.exitCode, c.exitCode) << c.failure;
        EXPECT_EQ(install.DaemonProcesses().empty(), c.exitCode != 0) << c.failure;
    }
}

// The language stored in the daemon's settings chooses the interface text file, which is
// loaded during start-up; the log ("-kivlog", on standard output) names a file that is
// missing. Without a stored language, or with one the tool does not know, English stays.
TEST(StartupE2E, TheDaemonsLanguageSettingChoosesTheInterfaceText) {
    const std::string missing = "InterfaceTextDB> Unable to read interface file ";
    struct {
        const char* language;  // null: no setting
        std::string logged;    // "": no missing file
    } cases[] = {
        {nullptr, ""},
        {"FR", missing + "'interfaceFrench.chump'"},
        {"de", missing + "'interfaceGerman.chump'"},
        {"SE", ""},
    };
    for (const auto& c : cases) {
        const std::string label = c.language ? c.language : "none";
        Installation install;
        if (c.language)
            install.SetDaemonScript(std::string("settings { internet { language \"") +
                                    c.language + "\" } }\n");
        install.RecordDaemon();
        const ToolResult result = install.Run({"version", "-kivlog"});
        EXPECT_EQ(result.exitCode, 0) << label << result.err;
        EXPECT_NE(result.out.find(kVersionOutput), std::string::npos) << label;
        if (c.logged.empty()) {
            EXPECT_EQ(result.out.find(missing), std::string::npos) << label << result.out;
        } else {
            EXPECT_NE(result.out.find(c.logged), std::string::npos) << label << result.out;
        }
        EXPECT_EQ(RecordLines(install, "request 1 id=102 ").size(), 1u) << label;
    }
}

}  // namespace
