// LogMessage reaches the engine log's sink as one line.
#include "foundation/console/log_message.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "engine/log.h"
#include "engine/options.h"

namespace {

TEST(LogMessage, WritesOneLineToTheEngineLog) {
    char folder[] = "/tmp/log_message_test_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string logPath = std::string(folder) + "/log.txt";
    Kiv::Options options;
    options.ProcessRaw(("-LogFile=" + logPath).c_str());
    ASSERT_TRUE(Kiv::Log::Init(options));
    LogMessage("InterfaceTextDB::GetString> Tag '%s' not found in '%s'", "$x", "en");
    LogMessage("%s", "100% sure");
    Kiv::Log::Shutdown();
    std::ifstream in(logPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "InterfaceTextDB::GetString> Tag '$x' not found in 'en'\n100% sure\n");
    std::filesystem::remove_all(folder);
}

}  // namespace
