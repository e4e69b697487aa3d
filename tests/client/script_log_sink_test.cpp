// The script machine's log lines reach the engine log as "ScriptLog> <text>", cut to the
// sink's 16,384-byte buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "client/kodrin_util.h"
#include "engine/log.h"
#include "engine/options.h"

namespace {

std::string LoggedText(const std::string& message) {
    std::filesystem::path file = std::filesystem::temp_directory_path() /
                                 ("kodrin-scriptlog-" + std::to_string(getpid()) + ".txt");
    std::filesystem::remove(file);
    Kiv::Options options;
    options.ProcessRaw(("-LogFile=" + file.string()).c_str());
    Kiv::Log::Init(options);
    KodrinUtil::ScriptLogSink("%s", message.c_str());
    Kiv::Log::Shutdown();
    std::stringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    std::filesystem::remove(file);
    return text.str();
}

TEST(ScriptLogSink, PrefixesAndCutsLongLines) {
    EXPECT_NE(LoggedText("compiled").find("ScriptLog> compiled"), std::string::npos);

    std::string logged = LoggedText(std::string(20000, 'x'));
    size_t run = logged.find_last_of('x') - logged.find('x') + 1;
    EXPECT_EQ(run, 16383u);
}

}  // namespace
