// The start-up switches, found anywhere in the argument vector (also in element 0 and among
// a command's own arguments) in any case, and the engine option text they give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/startup_state.h"

namespace {

TEST(StartupSwitches, AnyElementInAnyCaseAndTheOptionTextTheyGive) {
    const struct {
        std::vector<std::string> args;
        bool nullRender;
        bool logToStdout;
        bool clientHandshake;
        const char* optionText;
    } cases[] = {
        {{"KodrinUtil", "version"}, false, false, true,
         "-render=OpenGL -hidewindow -LogFile=/dev/null "},
        {{"KodrinUtil", "echo", "a", "b", "norender"}, true, false, true,
         "-NullRender -LogFile=/dev/null "},
        {{"KodrinUtil", "-KIVLOG", "version"}, false, true, true,
         "-render=OpenGL -hidewindow -LogStdOut "},
        {{"NoRender", "status", "<kuid:1:2>", "-KivLog"}, true, true, true,
         "-NullRender -LogStdOut "},
        {{"KodrinUtil", "version", "-NOKAVCLIENT"}, false, false, false,
         "-render=OpenGL -hidewindow -LogFile=/dev/null "},
        {{"KodrinUtil", "norender2", "--kivlog", "-nokavclient ", "-norender", "kivlog"}, false,
         false, true, "-render=OpenGL -hidewindow -LogFile=/dev/null "},
    };
    for (const auto& c : cases) {
        std::vector<std::string> copies = c.args;
        std::vector<char*> argv;
        for (std::string& arg : copies) argv.push_back(arg.data());
        const std::string label = testing::PrintToString(c.args);
        const KodrinUtil::StartupSwitches switches =
            KodrinUtil::ScanStartupSwitches(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(switches.nullRender, c.nullRender) << label;
        EXPECT_EQ(switches.logToStdout, c.logToStdout) << label;
        EXPECT_EQ(switches.clientHandshake, c.clientHandshake) << label;
        EXPECT_EQ(KodrinUtil::EngineOptionText(switches), c.optionText) << label;
    }
}

}  // namespace
