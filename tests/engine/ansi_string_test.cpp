// Kiv::String and Kiv::AnsiString: construction, printf-style text, edits, searches, case
// changes, tokens, comparisons.
#include "engine/string.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Kiv::AnsiString;
using Kiv::String;

TEST(String, ConstructionAndComparison) {
    EXPECT_STREQ(String().c_str(), "");
    EXPECT_STREQ(String(nullptr).c_str(), "");
    EXPECT_STREQ(String("abc", 2).c_str(), "ab");
    EXPECT_STREQ(String(Kiv::PString("interned")).c_str(), "interned");
    EXPECT_STREQ(String(Kiv::PString()).c_str(), "");
    EXPECT_EQ(String("x").ToPString(), Kiv::PString("x"));
    EXPECT_TRUE(String("a") == "a");
    EXPECT_FALSE(String("a") == nullptr);
    EXPECT_TRUE(String("a") < String("b"));
    EXPECT_EQ(String(std::string("a\0b", 3)).Length(), 3u);
}

TEST(AnsiString, SetfAndAddf) {
    AnsiString text;
    text.Setf("%s %d", "count", 3).Addf("/%05.1f", 2.5);
    EXPECT_STREQ(text.c_str(), "count 3/002.5");
    std::string longText(70000, 'z');
    text.Setf("%s", longText.c_str());
    EXPECT_EQ(text.Length(), 70000u);
    text.Setf("%s", "");
    EXPECT_TRUE(text.IsEmpty());
}

TEST(AnsiString, InsDelAndAppend) {
    AnsiString text("held");
    text.Ins(0, "<").Ins(99, ">").Ins(2, nullptr);
    EXPECT_STREQ(text.c_str(), "<held>");
    text.Del(1, 2).Del(99, 1).Del(3, 99);
    EXPECT_STREQ(text.c_str(), "<ld");
    text += " a";
    text += String(" b");
    text += '!';
    text += static_cast<const char*>(nullptr);
    EXPECT_STREQ(text.c_str(), "<ld a b!");
}

TEST(AnsiString, FindAndFindIgnoreCase) {
    AnsiString text("Track and track");
    EXPECT_EQ(text.Find("track"), 10);
    EXPECT_EQ(text.Find("Track", 1), -1);
    EXPECT_EQ(text.Find(nullptr), -1);
    EXPECT_EQ(text.Find("k", 99), -1);
    EXPECT_EQ(text.FindIgnoreCase("TRACK"), 0);
    EXPECT_EQ(text.FindIgnoreCase("TRACK", 1), 10);
    EXPECT_EQ(text.FindIgnoreCase("rack", 12), -1);
    EXPECT_EQ(text.FindIgnoreCase("", 15), 15);
    EXPECT_EQ(text.FindIgnoreCase("", 16), -1);
}

TEST(AnsiString, CaseChangesAreAsciiOnly) {
    AnsiString text("Mixed \xC4 Case");
    EXPECT_STREQ(AnsiString(text).ToLower().c_str(), "mixed \xC4 case");
    EXPECT_STREQ(text.ToUpper().c_str(), "MIXED \xC4 CASE");
}

TEST(AnsiString, TokensSkipRunsOfSeparators) {
    AnsiString text(",12,,34 ,56");
    const char* expected[] = {"12", "34 ", "56", ""};
    for (size_t i = 0; i < 4; ++i) EXPECT_STREQ(text.Token(i, ",").c_str(), expected[i]) << i;
    EXPECT_STREQ(text.Token(1, ", ").c_str(), "34");
    EXPECT_STREQ(text.Token(0, nullptr).c_str(), ",12,,34 ,56");
    EXPECT_STREQ(AnsiString("").Token(0, ",").c_str(), "");
}

TEST(AnsiString, LeftAndCompare) {
    AnsiString text("abcdef");
    EXPECT_STREQ(text.Left(3).c_str(), "abc");
    EXPECT_STREQ(text.Left(99).c_str(), "abcdef");
    EXPECT_EQ(text.Compare("abcdef"), 0);
    EXPECT_LT(text.Compare("b"), 0);
    EXPECT_GT(text.Compare(nullptr), 0);
    EXPECT_EQ(text.Compare("ABCDEF", true), 0);
    EXPECT_NE(text.Compare("ABCDEF"), 0);
    EXPECT_LT(AnsiString("ABC").Compare("abd", true), 0);
}

}  // namespace
