// Kiv::Log: sinks chosen by the options (standard output, a file, nowhere), one client per
// name, whole lines.
#include "engine/log.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

class LogTest : public ::testing::Test {
protected:
    void TearDown() override { Kiv::Log::Shutdown(); }
    static bool Init(const std::string& text) {
        Kiv::Options options;
        options.ProcessRaw(text.c_str());
        return Kiv::Log::Init(options);
    }
};

TEST_F(LogTest, ClientsAreOnePerName) {
    Kiv::LogClient* a = Kiv::Log::GetClient("Kodrin");
    EXPECT_EQ(a, Kiv::Log::GetClient("Kodrin"));
    EXPECT_NE(a, Kiv::Log::GetClient("Other"));
    EXPECT_STREQ(a->GetName(), "Kodrin");
    a->SetLevel(2);
    EXPECT_EQ(Kiv::Log::GetClient("Kodrin")->GetLevel(), 2);
}

TEST_F(LogTest, LogFileGetsWholeLinesAppended) {
    TempFolder folder;
    folder.WriteFile("log.txt", "earlier\n");
    ASSERT_TRUE(Init("-LogFile=" + folder.Path("log.txt")));
    Kiv::LogClient* client = Kiv::Log::GetClient("Kodrin");
    client->OutputString("%s", "InterfaceTextDB::GetString> Tag 'x' not found");
    client->OutputString("value %d\n", 42);
    Kiv::Log::Shutdown();
    client->OutputString("dropped after shut-down");
    EXPECT_EQ(folder.ReadFile("log.txt"),
              "earlier\nInterfaceTextDB::GetString> Tag 'x' not found\nvalue 42\n");
}

TEST_F(LogTest, StdOutOptionPrintsAndDevNullPrintsNothing) {
    ASSERT_TRUE(Init("-LogStdOut -LogFile=/dev/null"));
    testing::internal::CaptureStdout();
    Kiv::Log::GetClient("Kodrin")->OutputString("to the console");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "to the console\n");

    ASSERT_TRUE(Init("-LogFile=/dev/null"));
    testing::internal::CaptureStdout();
    Kiv::Log::GetClient("Kodrin")->OutputString("nowhere");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(LogTest, UnopenableLogFileFailsInit) {
    TempFolder folder;
    EXPECT_FALSE(Init("-LogFile=" + folder.Path("missing/log.txt")));
    Kiv::Log::GetClient("Kodrin")->OutputString("goes nowhere");
}

}  // namespace
