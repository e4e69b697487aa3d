// printconfig and revert as processes of the installed tool against its seeded stand-in
// daemon: the config text between its two lines, byte for byte, and an edit copy thrown
// away by revert while the installed folder keeps its content.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;

const char kSeed[] = R"(assets
{
  0
  {
    folder "lamp"
    config
    {
      kuid <kuid:12:5>
      kind "scenery"
      username "Lamp"
    }
  }
}
)";

// The text form: byte-order mark and CR LF, then each value at column 40, lines ending CR LF.
const std::string kLampText =
    "\xEF\xBB\xBF\r\n"
    "kuid                                    <kuid:12:5>\r\n"
    "kind                                    \"scenery\"\r\n"
    "username                                \"Lamp\"\r\n";

class ConfigAndRevertE2E : public testing::Test {
protected:
    void SetUp() override { install_.SetDaemonScript(kSeed); }

    e2e::ToolResult Run(const std::vector<std::string>& args) {
        const e2e::ToolResult result = install_.Run(args);
        EXPECT_FALSE(result.timedOut) << args[0];
        return result;
    }

    e2e::Installation install_;
};

TEST_F(ConfigAndRevertE2E, PrintConfigWritesTheTextFormBetweenItsTwoLines) {
    const e2e::ToolResult result = Run({"printconfig", "<kuid:12:5>"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "+ Start of <kuid:12:5> dump\n" + kLampText + "\n" +
                              "+ End of <kuid:12:5> dump\nOK (0 Errors, 0 Warnings)\n");
}

TEST_F(ConfigAndRevertE2E, RevertThrowsTheEditCopyAway) {
    ASSERT_EQ(Run({"edit", "<kuid:12:5>"}).exitCode, 0);
    const fs::path copy = install_.Root() / "UserData" / "editing" / "lamp";
    ASSERT_TRUE(fs::is_directory(copy));
    std::ofstream(copy / "extra.txt") << "an edit\n";

    EXPECT_EQ(Run({"revert", "<kuid:12:5>"}).exitCode, 0);
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_FALSE(fs::exists(install_.Root() / "UserData" / "local" / "lamp" / "extra.txt"));
    const e2e::ToolResult status = Run({"status", "<kuid:12:5>"});
    // No category: its place stays empty between the letters and the name.
    EXPECT_EQ(status.out, "+ <kuid:12:5> : eIadlmf :  : Lamp\n"
                          "OK (0 Errors, 0 Warnings)\n");
}

}  // namespace
