// The UTF-8 sequence table: lead bytes, second-byte ranges, trailing bytes.
#include "foundation/text/utf8_validity.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(IsValidUTF8Char, FollowsTheSequenceTable) {
    struct Case {
        std::string bytes;
        bool valid;
        size_t length;
    };
    const Case cases[] = {
        {"A", true, 1},
        {std::string(1, '\0'), true, 1},
        {"\xC2\xA9", true, 2},
        {"\xDF\xBF", true, 2},
        {"\xE0\xA0\x80", true, 3},
        {"\xED\x9F\xBF", true, 3},      // U+D7FF, the last before the surrogates
        {"\xEF\xBF\xBF", true, 3},
        {"\xF0\x90\x80\x80", true, 4},
        {"\xF4\x8F\xBF\xBF", true, 4},  // U+10FFFF
        {"\xC2\xA9zz", true, 2},        // the length is the sequence's, not the text's
        {"\x80", false, 0},             // a lone trailing byte
        {"\xBF", false, 0},
        {"\xC0\x80", false, 0},         // overlong
        {"\xC1\xBF", false, 0},
        {"\xE0\x80\x80", false, 0},
        {"\xE0\x9F\xBF", false, 0},
        {"\xED\xA0\x80", false, 0},     // an encoded surrogate
        {"\xED\xBF\xBF", false, 0},
        {"\xF0\x80\x80\x80", false, 0},
        {"\xF0\x8F\xBF\xBF", false, 0},
        {"\xF4\x90\x80\x80", false, 0}, // above U+10FFFF
        {"\xF5\x80\x80\x80", false, 0},
        {"\xF8\x88\x80\x80\x80", false, 0},
        {"\xFC\x84\x80\x80\x80\x80", false, 0},
        {"\xFF", false, 0},
        {"\xC2\x41", false, 0},         // second byte not a trailing byte
        {"\xC2\xC0", false, 0},
        {std::string("\xC2\0", 2), false, 0},
        {"\xE2\x82\x41", false, 0},     // third byte not a trailing byte
        {"\xF0\x90\x80\xC0", false, 0},
        {"\xE2\x82", false, 0},         // cut short
        {"\xF0\x90\x80", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        size_t length = 0;
        EXPECT_EQ(IsValidUTF8Char(c.bytes, length), c.valid) << testing::PrintToString(c.bytes);
        if (c.valid) {
            EXPECT_EQ(length, c.length) << testing::PrintToString(c.bytes);
        }
    }
}

TEST(IsValidUTF8, WalksTheWholeText) {
    EXPECT_TRUE(IsValidUTF8(""));
    EXPECT_TRUE(IsValidUTF8("plain text"));
    EXPECT_TRUE(IsValidUTF8("a\xC2\xA9 \xE2\x80\x9C\xF0\x9F\x98\x80\xE2\x80\x9D"));
    EXPECT_FALSE(IsValidUTF8("abc\xE0\x80\x80"));
    EXPECT_FALSE(IsValidUTF8("\xE9t\xE9"));          // Windows-1252 text
    EXPECT_FALSE(IsValidUTF8("ends in \xE2\x80"));
}

}  // namespace
