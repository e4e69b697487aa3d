// scripts/run and scripts/test as a newcomer sees them, on a copy of the project's scripts
// whose setup, cmake, ctest and tool are small stand-ins: what setup installs is shown,
// a build with nothing to do prints nothing, a build with work shows its progress, and
// the tool's own output stays alone on standard output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

// cmake: configuring makes the build folder; a build first checks the globbed folders, as
// CMake's does, then has nothing to do, or with FAKE_WORK set two steps.
constexpr const char* kFakeCmake = R"(#!/usr/bin/env bash
if [ "$1" != "--build" ]; then
  while [ $# -gt 0 ]; do
    if [ "$1" = "-B" ]; then mkdir -p "$2/dist"; touch "$2/build.ninja"; fi
    shift
  done
  exit 0
fi
echo "[0/2] Re-checking globbed directories..."
if [ -z "${FAKE_WORK:-}" ]; then echo "ninja: no work to do."; exit 0; fi
echo "[1/2] Building CXX object client/main.cpp.o"
echo "[2/2] Linking CXX executable KodrinUtil"
)";

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
        install_.SetEnv("PATH", Tools().string() + ":" + std::getenv("PATH"));
        for (const char* name : {"KODRIN_BUILD_DIR", "KODRIN_TARGET", "FAKE_WORK"}) {
            install_.SetEnv(name, "");
        }
    }

    fs::path Project() const { return install_.FilesFolder() / "project"; }
    fs::path Tools() const { return install_.FilesFolder() / "tools"; }

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

TEST_F(NewcomerScriptsE2E, WarmRunShowsWhatSetupInstallsAndNothingOfTheBuild) {
    const ToolResult result = Script("run", {"version"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Build 49933\n");
    EXPECT_EQ(result.err, "setup: installing g++ cmake\n");
}

TEST_F(NewcomerScriptsE2E, RunWithWorkShowsTheBuildOnStandardError) {
    install_.SetEnv("FAKE_WORK", "1");
    const ToolResult result = Script("run", {"version"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Build 49933\n");
    EXPECT_EQ(result.err,
              "setup: installing g++ cmake\n"
              "[1/2] Building CXX object client/main.cpp.o\n"
              "[2/2] Linking CXX executable KodrinUtil\n");
}

TEST_F(NewcomerScriptsE2E, TestShowsWhatSetupInstalls) {
    const ToolResult result = Script("test");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "setup: installing g++ cmake\n");
    EXPECT_EQ(result.out, "100% tests passed\n");
}

}  // namespace
