// The daemon's settings from arguments and environment, and the database path it derives
// from its working folder.
#include <gtest/gtest.h>

#include <map>

#include "daemon/daemon_command_line.h"
#include "daemon/installation_paths.h"

namespace {

using namespace std::chrono_literals;

std::map<std::string, std::string> environment;

const char* Lookup(const char* name) {
    auto found = environment.find(name);
    return found == environment.end() ? nullptr : found->second.c_str();
}

TEST(DaemonCommandLine, ArgumentsWinOverTheEnvironment) {
    const struct {
        std::vector<const char*> arguments;
        std::map<std::string, std::string> variables;
        std::string record;
        std::chrono::milliseconds idle;
    } cases[] = {
        {{}, {}, "", 5min},
        {{}, {{"KAVDAEMON_RECORD", "r.txt"}, {"KAVDAEMON_IDLE_MS", "250"}}, "r.txt", 250ms},
        {{"--record", "a.txt", "--idle-ms", "0"},
         {{"KAVDAEMON_RECORD", "r.txt"}, {"KAVDAEMON_IDLE_MS", "x"}},
         "a.txt",
         0ms},
        {{}, {{"KAVDAEMON_IDLE_MS", ""}}, "", 5min},
    };
    for (const auto& c : cases) {
        environment = c.variables;
        std::vector<const char*> argv = {"kavdaemon"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        DaemonCommandLine settings;
        std::string error;
        ASSERT_TRUE(ParseDaemonCommandLine(static_cast<int>(argv.size()), argv.data(), Lookup,
                                           settings, error))
            << error;
        EXPECT_EQ(settings.recordPath, c.record);
        EXPECT_EQ(settings.idleTime, c.idle);
    }
    environment.clear();
}

TEST(DaemonCommandLine, RefusesWhatItCannotUse) {
    environment.clear();
    const std::vector<std::vector<const char*>> cases = {
        {"--idle-ms", "-5"},         {"--idle-ms", "12x"}, {"--idle-ms", "99999999999999999999"},
        {"--idle-ms", "31536000001"}, {"--idle-ms", " 5"}, {"--record"},
        {"--verbose", "1"},
    };
    for (const auto& arguments : cases) {
        std::vector<const char*> argv = {"kavdaemon"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        DaemonCommandLine settings;
        std::string error;
        EXPECT_FALSE(ParseDaemonCommandLine(static_cast<int>(argv.size()), argv.data(), Lookup,
                                            settings, error))
            << arguments[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(InstallationPaths, DatabasePathOfTheWorkingFolder) {
    const struct {
        const char* workingFolder;
        const char* databasePath;
    } cases[] = {
        {"/opt/Kodrin/bin", "\\opt\\Kodrin\\UserData\\assets.tdx"},
        {"/opt/Kodrin/bin/", "\\opt\\Kodrin\\UserData\\assets.tdx"},
        {"/home/a b/x/./bin", "\\home\\a b\\x\\UserData\\assets.tdx"},
        {"/bin", "\\UserData\\assets.tdx"},
        {"/", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DatabasePathOfWorkingFolder(Kiv::File::Path(c.workingFolder)).View(),
                  c.databasePath)
            << c.workingFolder;
    }
}

}  // namespace
