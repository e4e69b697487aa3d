// Kiv::Options parsing of engine option text, and Kiv::OS holding it.
#include "engine/options.h"

#include <gtest/gtest.h>

#include "engine/os.h"

namespace {

TEST(Options, ProcessRawReadsFlagsAndValues) {
    Kiv::Options options;
    options.ProcessRaw("-NullRender -LogStdOut -LogFile=/dev/null -render=OpenGL -hidewindow ");
    EXPECT_TRUE(options.Has("NullRender"));
    EXPECT_TRUE(options.Has("-nullrender"));
    EXPECT_TRUE(options.Has("hidewindow"));
    EXPECT_STREQ(options.Get("LogFile"), "/dev/null");
    EXPECT_STREQ(options.Get("RENDER"), "OpenGL");
    EXPECT_STREQ(options.Get("LogStdOut"), "");
    EXPECT_FALSE(options.Has("render=OpenGL"));
    EXPECT_FALSE(options.Has("Log"));
    EXPECT_EQ(options.Get("missing"), nullptr);
}

TEST(Options, LaterTextAddsAndReplacesAndQuotesHoldBlanks) {
    Kiv::Options options;
    options.ProcessRaw("-render=OpenGL word -LogFile=\"my logs/a b.txt\"\t-x=1=2");
    options.ProcessRaw("-Render=Null -NullRender");
    EXPECT_STREQ(options.Get("render"), "Null");
    EXPECT_TRUE(options.Has("NullRender"));
    EXPECT_STREQ(options.Get("logfile"), "my logs/a b.txt");
    EXPECT_STREQ(options.Get("x"), "1=2");
    EXPECT_FALSE(options.Has("word"));
}

TEST(Options, OddTextIsHarmless) {
    Kiv::Options options;
    options.ProcessRaw(nullptr);
    options.ProcessRaw("");
    options.ProcessRaw("   -  - -= \"-unterminated");
    EXPECT_FALSE(options.Has(""));
    EXPECT_TRUE(options.Has("unterminated"));
    EXPECT_FALSE(options.Has(nullptr));
}

TEST(OS, KeepsItsNameAndParsesItsCommandText) {
    Kiv::OS os("KodrinUtil", "-render=OpenGL -hidewindow -LogFile=/dev/null ");
    EXPECT_STREQ(os.GetApplicationName(), "KodrinUtil");
    EXPECT_STREQ(os.GetCommandText(), "-render=OpenGL -hidewindow -LogFile=/dev/null ");
    EXPECT_FALSE(os.IsInitialised());
    EXPECT_TRUE(os.Init());
    EXPECT_TRUE(os.IsInitialised());
    EXPECT_TRUE(os.GetOptions().Has("hidewindow"));
    os.GetOptions().ProcessRaw("-NullRender");
    EXPECT_TRUE(os.GetOptions().Has("NullRender"));
}

}  // namespace
