// Prefix matching, ASCII lower-casing, name sanitising and the power-of-two test.
#include "foundation/text/text_helpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MatchesPrefix, WildcardsCaseAndLength) {
    struct Case {
        const char* pattern;
        const char* text;
        bool matches;
    };
    const Case cases[] = {
        {"<KUID:", "<kuid:1:2>", true},
        {"<KUID:", "<KUID:1:2>", true},
        {"<KUID:", "<kui", false},
        {"<KUID2:", "<kuid:1:2:3>", false},
        {"<KUID2:", "<kuid2:1:2:3>", true},
        {"<NULL>", "<null>", true},
        {"<NULL>", "<NUL>", false},
        {"a?c", "abcd", true},
        {"a?c", "a?c", true},
        {"a?c", "abd", false},
        {"?", "", false},
        {"", "anything", true},
        {"[", "{", false},  // not letters: 0x5B and 0x7B differ
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesPrefix(c.pattern, c.text), c.matches) << c.pattern << " / " << c.text;
    }
}

TEST(LowerCase, OnlyAsciiLettersChange) {
    std::string text = "AbZ@[`{\xC4\xE9 09";
    LowerCaseAscii(text.data(), text.size());
    EXPECT_EQ(text, "abz@[`{\xC4\xE9 09");

    Kiv::PString name("MiXeD\xC4");
    LowerCasePString(name);
    EXPECT_EQ(name, Kiv::PString("mixed\xC4"));
    Kiv::PString empty;
    LowerCasePString(empty);
    EXPECT_TRUE(empty.IsNull());
}

TEST(SanitiseName, ReplacesOtherCharactersAndTrimsTrailingSpaces) {
    struct Case {
        const char* text;
        const char* sanitised;
    };
    const Case cases[] = {
        {"My Asset_2", "My Asset_2"},
        {"a-b.c/d\\e", "a_b_c_d_e"},
        {"name   ", "name"},
        {"  lead", "  lead"},
        {"   ", ""},
        {"", ""},
        {"caf\xC3\xA9", "caf__"},
        {"tab\there ", "tab_here"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SanitiseName(c.text), c.sanitised) << c.text;
    }
}

TEST(IsPowerOfTwo, PowersAndZero) {
    for (uint32_t value : {0u, 1u, 2u, 4u, 1024u, 0x80000000u}) EXPECT_TRUE(IsPowerOfTwo(value));
    for (uint32_t value : {3u, 6u, 1023u, 0x80000001u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(IsPowerOfTwo(value)) << value;
    }
}

}  // namespace
