// scripts/run, scripts/build and scripts/test as a newcomer sees them, on a copy of the
// project's scripts whose setup, cmake, ctest and tool are small stand-ins: what setup
// installs is shown, a build with nothing to do prints nothing, scripts/build shows the
// progress of a build with work, scripts/run says it builds and shows the progress only when
// the build fails, and builds again only when the source tree changed; the tool's own
// output stays alone on standard output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

// cmake: configuring makes the build folder; a build notes its call in FAKE_CALLS, first
// checks the globbed folders, as CMake's does, then has nothing to do, or with FAKE_WORK
// set two steps, or with FAKE_FAIL set a step that fails.
constexpr const char* kFakeCmake = R"(#!/usr/bin/env bash
if [ "$1" != "--build" ]; then
  while [ $# -gt 0 ]; do
    if [ "$1" = "-B" ]; then mkdir -p "$2/dist"; touch "$2/build.ninja"; fi
    shift
  done
  exit 0
fi
echo build >>"$FAKE_CALLS"
echo "[0/2] Re-checking globbed directories..."
if [ -n "${FAKE_FAIL:-}" ]; then
  echo "[1/2] Building CXX object client/main.cpp.o"
  echo "client/main.cpp:3:1: error: expected ';'"
  exit 1
fi
if [ -z "${FAKE_WORK:-}" ]; then echo "ninja: no work to do."; exit 0; fi
echo "[1/2] Building CXX object client/main.cpp.o"
echo "[2/2] Linking CXX executable KodrinUtil"
)";

constexpr const char* kBuildingNote = "Building (the first time takes a few minutes)...\n";
constexpr const char* kSetupNote = "setup: installing g++ cmake\n";

class NewcomerScriptsE2E : public testing::Test {
protected:
    void SetUp() override {
        const fs::path scripts = Project() / "scripts";
        fs::create_directories(scripts);
        for (const char* name : {"build", "run", "test"}) {
            fs::copy_file(fs::path(KODRIN_SOURCE) / "scripts" / name, scripts / name);
            fs::permissions(scripts / name, fs::perms::owner_all);
        }
        Executable(scripts / "setup", "#!/usr/bin/env bash\necho \"setup: installing g++ cmake\"\n");
        Executable(Tools() / "cmake", kFakeCmake);
        Executable(Tools() / "ctest", "#!/usr/bin/env bash\necho \"100% tests passed\"\n");
        Executable(Project() / "build" / "dist" / "KodrinUtil", "#!/usr/bin/env bash\necho \"Build 49933\"\n");
        fs::create_directories(Project() / "build");
        std::ofstream(Project() / "build" / "build.ninja");
        Executable(Project() / "client" / "main.cpp", "int main() {}\n");
        install_.SetEnv("PATH", Tools().string() + ":" + std::getenv("PATH"));
        for (const char* name :
             {"KODRIN_BUILD_DIR", "KODRIN_TARGET", "KODRIN_BUILD_LOG", "FAKE_WORK", "FAKE_FAIL"}) {
            install_.SetEnv(name, "");
        }
        install_.SetEnv("FAKE_CALLS", Calls().string());
    }

    // How many builds the stand-in cmake ran so far.
    int Builds() const {
        std::ifstream in(Calls());
        int count = 0;
        for (std::string line; std::getline(in, line);) ++count;
        return count;
    }

    fs::path Project() const { return install_.FilesFolder() / "project"; }
    fs::path Tools() const { return install_.FilesFolder() / "tools"; }
    fs::path Calls() const { return install_.FilesFolder() / "cmake-calls.txt"; }

    static void Executable(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        fs::permissions(path, fs::perms::owner_all);
    }

    ToolResult Script(const char* name, const std::vector<std::string>& args = {}) {
        std::vector<std::string> all = {(Project() / "scripts" / name).string()};
        all.insert(all.end(), args.begin(), args.end());
        const ToolResult result = install_.RunProgram("/bin/bash", all, Project());
        EXPECT_FALSE(result.timedOut) << name;
        return result;
    }

    Installation install_;
};

TEST_F(NewcomerScriptsE2E, FirstRunSaysItBuildsAndShowsWhatSetupInstallsButNoProgress) {
    install_.SetEnv("FAKE_WORK", "1");
    const ToolResult result = Script("run", {"version"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Build 49933\n");
    EXPECT_EQ(result.err, std::string(kBuildingNote) + kSetupNote);
    EXPECT_EQ(Builds(), 1);
}

TEST_F(NewcomerScriptsE2E, RunBuildsAgainOnlyWhenTheSourceTreeChanged) {
    ASSERT_EQ(Script("run", {"version"}).exitCode, 0);
    ASSERT_EQ(Builds(), 1);

    const ToolResult unchanged = Script("run", {"version"});
    EXPECT_EQ(unchanged.exitCode, 0) << unchanged.err;
    EXPECT_EQ(unchanged.out, "Build 49933\n");
    EXPECT_EQ(unchanged.err, "");
    EXPECT_EQ(Builds(), 1);

    // What the tool writes into its installation is no change of the sources.
    Executable(Project() / "build" / "dist" / "UserData" / "state.txt", "assets\n");
    ASSERT_EQ(Script("run", {"version"}).exitCode, 0);
    EXPECT_EQ(Builds(), 1);

    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"an edited file", [&] { std::ofstream(Project() / "client" / "main.cpp", std::ios::app) << "//\n"; }},
        {"a new file", [&] { Executable(Project() / "client" / "new_command.cpp", "\n"); }},
        {"a new file in a new folder", [&] { Executable(Project() / "script_natives" / "a.cpp", "\n"); }},
        {"a removed file", [&] { fs::remove(Project() / "client" / "new_command.cpp"); }},
    };
    int builds = 1;
    for (const auto& [what, change] : changes) {
        change();
        const ToolResult result = Script("run", {"version"});
        EXPECT_EQ(result.exitCode, 0) << what << "\n" << result.err;
        EXPECT_EQ(result.err, std::string(kBuildingNote) + kSetupNote) << what;
        EXPECT_EQ(Builds(), ++builds) << what;
    }
}

TEST_F(NewcomerScriptsE2E, FailedBuildShowsItsLogRunsNothingAndIsTriedAgain) {
    install_.SetEnv("FAKE_FAIL", "1");
    const ToolResult failed = Script("run", {"version"});
    EXPECT_NE(failed.exitCode, 0);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err.rfind(std::string(kBuildingNote) + kSetupNote, 0), 0u) << failed.err;
    EXPECT_NE(failed.err.find("[1/2] Building CXX object client/main.cpp.o\n"
                              "client/main.cpp:3:1: error: expected ';'\n"),
              std::string::npos)
        << failed.err;

    install_.SetEnv("FAKE_FAIL", "");
    const ToolResult fixed = Script("run", {"version"});
    EXPECT_EQ(fixed.exitCode, 0) << fixed.err;
    EXPECT_EQ(fixed.out, "Build 49933\n");
    EXPECT_EQ(Builds(), 2);
}

TEST_F(NewcomerScriptsE2E, BuildWithWorkShowsItsProgressOnStandardError) {
    install_.SetEnv("FAKE_WORK", "1");
    const ToolResult result = Script("build");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, (Project() / "build").string() + "\n");
    EXPECT_EQ(result.err,
              std::string(kSetupNote) +
              "[1/2] Building CXX object client/main.cpp.o\n"
              "[2/2] Linking CXX executable KodrinUtil\n");
}

TEST_F(NewcomerScriptsE2E, BuildWithNothingToDoPrintsOnlyWhatSetupInstalls) {
    const ToolResult result = Script("build");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, kSetupNote);
}

TEST_F(NewcomerScriptsE2E, TestShowsWhatSetupInstalls) {
    const ToolResult result = Script("test");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, kSetupNote);
    EXPECT_EQ(result.out, "100% tests passed\n");
}

}  // namespace
