// Paths keep their case on a case-sensitive file system: two installations whose folders
// differ only in case ("Inst/dist" and "inst/dist") are two installations, each with its
// own database and daemon, and an install argument in capitals reaches the daemon as typed,
// even where a folder of the lower-case spelling exists beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

std::string Config(const std::string& kuid, const std::string& name) {
    return "kuid " + kuid + "\nkind \"scenery\"\nusername \"" + name +
           "\"\ncategory-class \"BD\"\n";
}

class PathCaseE2E : public testing::Test {
protected:
    void SetUp() override {
        for (const fs::path& copy : {Upper(), Lower()}) {
            fs::create_directories(copy.parent_path());
            fs::copy(install_.Root(), copy, fs::copy_options::recursive);
        }
        Write("Assets/Barn/config.txt", Config("<kuid:12:21>", "Barn"));
        Write("assets/Mill/config.txt", Config("<kuid:12:22>", "Mill"));
    }
    void TearDown() override {
        for (const fs::path& copy : {Upper(), Lower()}) RunIn(copy, {"closekavdaemon"});
    }

    fs::path Upper() const { return install_.FilesFolder() / "Inst" / "dist"; }
    fs::path Lower() const { return install_.FilesFolder() / "inst" / "dist"; }

    void Write(const std::string& relative, const std::string& bytes) {
        const fs::path path = install_.FilesFolder() / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    ToolResult RunIn(const fs::path& copy, const std::vector<std::string>& args) {
        const ToolResult result = install_.RunProgram(copy / "KodrinUtil", args, copy);
        EXPECT_FALSE(result.timedOut) << args[0];
        return result;
    }

    Installation install_;
};

TEST_F(PathCaseE2E, ToolWorksOnItsOwnFolderAndSendsTheArgumentAsTyped) {
    const ToolResult installed =
        RunIn(Upper(), {"installfrompath", (install_.FilesFolder() / "Assets").string()});
    EXPECT_EQ(installed.exitCode, 0) << installed.out << installed.err;

    // Only the folder named in capitals was installed, into the capitals' installation.
    EXPECT_EQ(RunIn(Upper(), {"status", "<kuid:12:21>"}).exitCode, 0);
    EXPECT_EQ(RunIn(Upper(), {"status", "<kuid:12:22>"}).exitCode, 255);
    EXPECT_FALSE(fs::is_empty(Upper() / "UserData" / "local"));
    const fs::path otherLocal = Lower() / "UserData" / "local";
    EXPECT_TRUE(!fs::exists(otherLocal) || fs::is_empty(otherLocal));

    // The other spelling is another installation: its database knows nothing of the barn.
    EXPECT_EQ(RunIn(Lower(), {"status", "<kuid:12:21>"}).exitCode, 255);
}

}  // namespace
