// Windows-1252 table and in-place code-page conversion.
#include "foundation/text/code_pages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Windows1252, MapsBytesAsWindowsDoes) {
    struct Case {
        unsigned char byte;
        char16_t character;
    };
    const Case cases[] = {
        {0x41, u'A'},     {0x7F, 0x007F},   {0x80, 0x20AC}, {0x82, 0x201A}, {0x85, 0x2026},
        {0x8A, 0x0160},   {0x8C, 0x0152},   {0x91, 0x2018}, {0x93, 0x201C}, {0x94, 0x201D},
        {0x96, 0x2013},   {0x97, 0x2014},   {0x99, 0x2122}, {0x9F, 0x0178}, {0xA0, 0x00A0},
        {0xE9, 0x00E9},   {0xFF, 0x00FF},
        // The five bytes Windows-1252 leaves undefined map to the controls of their value.
        {0x81, 0x0081},   {0x8D, 0x008D},   {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Windows1252ToUnicode(c.byte), c.character) << int(c.byte);
        EXPECT_EQ(UnicodeToWindows1252(c.character), c.byte) << int(c.byte);
    }
}

TEST(Windows1252, EveryHighByteRoundTrips) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const char16_t c = Windows1252ToUnicode(static_cast<unsigned char>(byte));
        EXPECT_EQ(UnicodeToWindows1252(c), byte);
    }
}

TEST(Windows1252, CharactersWithoutAByteHaveNone) {
    for (char32_t c : {char32_t(0x0080), char32_t(0x0100), char32_t(0x20AD), char32_t(0x6F22),
                       char32_t(0x1F600), char32_t(0xFFFD)}) {
        EXPECT_EQ(UnicodeToWindows1252(c), -1) << int(c);
    }
}

TEST(ConvertCodePageInPlace, AnsiToUTF8GivesTheExpectedBytes) {
    char buffer[32] = "a\x80\x81\x93\xE9";
    EXPECT_EQ(ConvertAnsiToUTF8(buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer), "a\xE2\x82\xAC\xC2\x81\xE2\x80\x9C\xC3\xA9");
}

TEST(ConvertCodePageInPlace, AllHighBytesSurviveTheRoundTripThroughUTF8) {
    std::string ansi;
    for (int byte = 0x80; byte <= 0xFF; ++byte) ansi.push_back(static_cast<char>(byte));
    std::string buffer = ansi;
    buffer.resize(ansi.size() * 3 + 1, '\0');
    ASSERT_EQ(ConvertAnsiToUTF8(buffer.data(), buffer.size()), 0);
    ASSERT_EQ(ConvertUTF8ToAnsi(buffer.data(), buffer.size()), 0);
    EXPECT_EQ(std::string(buffer.c_str()), ansi);
}

TEST(ConvertCodePageInPlace, UnmappableCharactersBecomeQuestionMarks) {
    // e-acute, a CJK ideograph, the euro sign, an emoji, a stray byte.
    char buffer[32] = "\xC3\xA9\xE6\xBC\xA2\xE2\x82\xAC\xF0\x9F\x98\x80\xFFz";
    EXPECT_EQ(ConvertUTF8ToAnsi(buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer), "\xE9?\x80??z");
}

TEST(ConvertCodePageInPlace, TooSmallBufferReportsTheSizeAndStaysUnchanged) {
    char buffer[3] = "\xE9\xE9";
    EXPECT_EQ(ConvertAnsiToUTF8(buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer), "\xE9\xE9");
    char exact[5] = "\x93x";
    EXPECT_EQ(ConvertAnsiToUTF8(exact, sizeof exact), 0);
    EXPECT_EQ(std::string(exact), "\xE2\x80\x9Cx");
}

TEST(ConvertCodePageInPlace, UnknownCodePageFailsAndMasksHighBytes) {
    char buffer[8] = {'a', '\xE9', 'b', '\x80', '\0', '\xE9', '\0', '\0'};
    EXPECT_EQ(ConvertCodePageInPlace(buffer, sizeof buffer, 437, kCodePageUTF8), -1);
    EXPECT_EQ(std::string(buffer), "a?b?");
    EXPECT_EQ(buffer[5], '\xE9');  // beyond the text's end
    char other[4] = "\xE9";
    EXPECT_EQ(ConvertCodePageInPlace(other, sizeof other, kCodePageAnsi, 850), -1);
    EXPECT_EQ(std::string(other), "?");
    EXPECT_EQ(ConvertCodePageInPlace(nullptr, 4, kCodePageAnsi, kCodePageUTF8), -1);
}

TEST(ConvertCodePageInPlace, TextWithoutTerminatorStaysInsideTheBuffer) {
    char buffer[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(ConvertAnsiToUTF8(buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
}

TEST(ConvertAnsiToWide, UsesTheTable) {
    EXPECT_EQ(ConvertAnsiToWide("A\x80\x81\xFF"), std::u16string(u"A\u20AC\u0081\u00FF"));
}

}  // namespace
