// The README's first session, run as written (its code block, through bash with -e) in a
// private installation, twice in a row: every step succeeds both times and the committed
// change shows in the printed config. A second run opens the asset for editing again, so
// the session must take the edit folder from what `edit` printed. An installation made
// afterwards from that used tree, as the tests make theirs from build/dist, holds none of
// what the session and its user left there.
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

// The first code block after the "## A first session" heading.
std::string FirstSession() {
    std::ifstream in(fs::path(KODRIN_SOURCE) / "README.md", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const size_t heading = text.find("## A first session");
    if (heading == std::string::npos) return {};
    const size_t open = text.find("```\n", heading);
    if (open == std::string::npos) return {};
    const size_t close = text.find("```", open + 4);
    if (close == std::string::npos) return {};
    return text.substr(open + 4, close - open - 4);
}

// Runs the session in a clone as the README assumes it: scripts/run runs the installed
// tool, the examples are beside it, and build/dist is the installation.
ToolResult RunSession(const Installation& install) {
    const fs::path clone = install.FilesFolder() / "clone";
    if (!fs::exists(clone)) {
        fs::create_directories(clone / "scripts");
        fs::create_directories(clone / "build");
        std::ofstream(clone / "scripts" / "run", std::ios::binary)
            << "#!/usr/bin/env bash\nexec \"" << install.Tool().string() << "\" \"$@\"\n";
        fs::permissions(clone / "scripts" / "run", fs::perms::owner_all);
        fs::copy(fs::path(KODRIN_SOURCE) / "examples", clone / "examples",
                 fs::copy_options::recursive);
        fs::create_directory_symlink(install.Root(), clone / "build" / "dist");
    }
    return install.RunProgram("/bin/bash", {"-e", "-c", FirstSession()}, clone);
}

TEST(ReadmeFirstSessionE2E, RunsAsWrittenTwiceInARow) {
    Installation install;
    ASSERT_FALSE(FirstSession().empty());
    for (int run = 1; run <= 2; ++run) {
        const ToolResult result = RunSession(install);
        EXPECT_FALSE(result.timedOut) << run;
        EXPECT_EQ(result.exitCode, 0) << run << "\n" << result.out << result.err;
        EXPECT_NE(result.out.find("Coal wagon (weathered)"), std::string::npos) << run;
        EXPECT_NE(result.out.find("OK (0 Errors, 0 Warnings)"), std::string::npos) << run;
    }
}

TEST(ReadmeFirstSessionE2E, AnInstallationMadeAfterTheSessionHoldsNoneOfItsData) {
    Installation used;
    const ToolResult session = RunSession(used);
    ASSERT_EQ(session.exitCode, 0) << session.out << session.err;
    ASSERT_EQ(used.Run({"backupkeywords"}).exitCode, 0);
    used.WriteFile("KeywordsDump.dat", "<kuid:414100:1001> \"coal\"\n");
    used.WriteFile("data/textures/brick.texture.txt", "Primary=brick.png\n");
    ASSERT_TRUE(fs::exists(used.Root() / "UserData"));
    ASSERT_TRUE(fs::exists(used.Root() / "KeywordsBackup.dat"));
    ASSERT_TRUE(used.StopDaemon());

    const Installation fresh(used.Root());
    for (const char* installed : {"KodrinUtil", "bin/kavdaemon", "data/interfacetext.txt"}) {
        EXPECT_TRUE(fs::is_regular_file(fresh.Root() / installed)) << installed;
    }
    for (const char* left : {"UserData", "KeywordsBackup.dat", "KeywordsDump.dat", "data/textures"}) {
        EXPECT_FALSE(fs::exists(fresh.Root() / left)) << left;
    }
    const ToolResult status = fresh.Run({"status", "<kuid:414100:1001>"});
    EXPECT_EQ(status.exitCode, 255);
    EXPECT_EQ(status.out, "- <kuid:414100:1001> : Unknown AssetID.\nOK (1 Errors, 0 Warnings)\n");
}

}  // namespace
