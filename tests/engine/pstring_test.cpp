// Kiv::PString operations: interning and identity, the null handle, case changes, insert
// and delete, printf-style creation, concatenation and case-blind comparison with null.
#include "engine/pstring.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Kiv::PString;

TEST(PString, EqualTextIsOneNodeAndComparisonIsCaseSensitive) {
    PString a("Local"), b(std::string("Local").c_str()), c("local");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.Identity(), b.Identity());
    EXPECT_NE(a, c);
    EXPECT_EQ(PString("abcdef", 3), PString("abc"));
    EXPECT_EQ(PString(std::string_view("abc")), PString("abc"));
    EXPECT_EQ(PString::Create("x", 1), PString::Create("x"));
}

TEST(PString, NullHandleIsTheEmptyString) {
    for (const PString& s : {PString(), PString(""), PString(static_cast<const char*>(nullptr)), PString("abc", 0)}) {
        EXPECT_TRUE(s.IsNull());
        EXPECT_EQ(s.Length(), 0u);
        EXPECT_EQ(s.Text(), nullptr);
        EXPECT_STREQ(s.c_str(), "");
        EXPECT_EQ(s, PString());
    }
}

TEST(PString, CaseChangesTouchOnlyAsciiLetters) {
    PString mixed("Ab\xC4z-9");
    EXPECT_STREQ(mixed.ToLower().c_str(), "ab\xC4z-9");
    EXPECT_STREQ(mixed.ToUpper().c_str(), "AB\xC4Z-9");
    EXPECT_EQ(mixed.ToLower(), PString("ab\xC4z-9"));  // the result is interned
    EXPECT_TRUE(PString().ToLower().IsNull());
}

TEST(PString, InsAndDel) {
    struct Case {
        const char* text;
        size_t position;
        const char* inserted;
        const char* expected;
    } inserts[] = {
        {"abc", 0, "X", "Xabc"}, {"abc", 3, "X", "abcX"}, {"abc", 99, "X", "abcX"},
        {"abc", 1, nullptr, "abc"}, {"", 0, "new", "new"},
    };
    for (const Case& c : inserts)
        EXPECT_STREQ(PString(c.text).Ins(c.position, c.inserted).c_str(), c.expected)
            << c.text << " + " << c.position;

    struct DelCase {
        const char* text;
        size_t position, count;
        const char* expected;
    } deletes[] = {
        {"abcdef", 1, 2, "adef"}, {"abcdef", 4, 99, "abcd"}, {"abc", 3, 1, "abc"},
        {"abc", 0, 3, ""},        {"abc", 99, 1, "abc"},
    };
    for (const DelCase& c : deletes)
        EXPECT_STREQ(PString(c.text).Del(c.position, c.count).c_str(), c.expected)
            << c.text << " - " << c.position;
    EXPECT_TRUE(PString("abc").Del(0, 3).IsNull());
}

TEST(PString, SetfAndConcat) {
    EXPECT_EQ(PString::Setf("<kuid:%d:%d>", -3, 42), PString("<kuid:-3:42>"));
    EXPECT_TRUE(PString::Setf("%s", "").IsNull());
    std::string longText(70000, 'q');
    EXPECT_EQ(PString::Setf("%s!", longText.c_str()).Length(), 70001u);
    EXPECT_EQ(PString::Concat(PString("ab"), PString("cd")), PString("abcd"));
    EXPECT_EQ(PString::Concat(PString(), PString("cd")), PString("cd"));
    EXPECT_EQ(PString::ConcatText(PString("ab"), nullptr), PString("ab"));
    EXPECT_EQ(PString::ConcatText(PString("ab"), ", x"), PString("ab, x"));
}

TEST(PString, EqualsIgnoreCaseWithNull) {
    EXPECT_TRUE(PString("Scenery").EqualsIgnoreCase("SCENERY"));
    EXPECT_FALSE(PString("Scenery").EqualsIgnoreCase("Scener"));
    EXPECT_FALSE(PString("Scenery").EqualsIgnoreCase(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(PString().EqualsIgnoreCase(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(PString().EqualsIgnoreCase(""));
    EXPECT_TRUE(PString("mesh").EqualsIgnoreCase(PString("MESH")));
    EXPECT_TRUE(PString().EqualsIgnoreCase(PString()));
    EXPECT_FALSE(PString("\xE4").EqualsIgnoreCase("\xC4"));  // only ASCII letters fold
}

TEST(PString, OrderingAndHashingFollowTextAndIdentity) {
    EXPECT_TRUE(PString::LessText(PString(), PString("a")));
    EXPECT_TRUE(PString::LessText(PString("B"), PString("a")));
    EXPECT_FALSE(PString::LessText(PString("a"), PString("a")));
    EXPECT_EQ(std::hash<PString>()(PString("h")), std::hash<PString>()(PString("h")));
}

}  // namespace
