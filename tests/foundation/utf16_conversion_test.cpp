// UTF-8 <-> UTF-16, including what happens to malformed input.
#include "foundation/text/utf16_conversion.h"

#include <gtest/gtest.h>

namespace {

TEST(UTF16Conversion, ConvertsEveryLengthOfSequence) {
    const std::string utf8 = "A\xC3\xA9\xE2\x80\x9C\xF0\x9F\x98\x80";
    const std::u16string utf16 = {u'A', 0x00E9, 0x201C, 0xD83D, 0xDE00};
    EXPECT_EQ(UTF8ToUTF16(utf8), utf16);
    EXPECT_EQ(UTF16ToUTF8(utf16), utf8);
}

TEST(UTF16Conversion, MalformedInputBecomesReplacementCharacters) {
    // Each byte that does not start a valid sequence gives one U+FFFD.
    EXPECT_EQ(UTF8ToUTF16("a\xFF" "b\xE2\x82" "c\xED\xA0\x80"),
              std::u16string(u"a\uFFFDb\uFFFD\uFFFDc\uFFFD\uFFFD\uFFFD"));
    // Unpaired surrogates, high and low.
    const std::u16string lone = {u'x', 0xD83D, u'y', 0xDE00};
    EXPECT_EQ(UTF16ToUTF8(lone), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
    const std::u16string highAtEnd = {0xD83D};
    EXPECT_EQ(UTF16ToUTF8(highAtEnd), "\xEF\xBF\xBD");
}

TEST(UTF16Conversion, NextCodePointJoinsPairsOnly) {
    const std::u16string text = {0xD83D, 0xDE00, 0xD83D, u'a'};
    size_t position = 0;
    EXPECT_EQ(NextCodePoint(text, position), char32_t(0x1F600));
    EXPECT_EQ(position, 2u);
    EXPECT_EQ(NextCodePoint(text, position), char32_t(0xD83D));
    EXPECT_EQ(NextCodePoint(text, position), char32_t(u'a'));
    EXPECT_EQ(position, 4u);
}

}  // namespace
