// DecodeUtf8Char: values and lengths for every lead-byte class, with the reference
// converter's offsets, unchecked continuation bytes, and sequences cut short by the bytes
// left; and the whitespace set.
#include "content3d/fonts/utf8_char.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DecodeUtf8Char, ValuesAndLengths) {
    struct Case {
        std::string bytes;
        size_t bytesLeft;
        uint32_t codePoint;
        size_t length;
    };
    const Case cases[] = {
        {"A", 1, 0x41, 1},
        {std::string("\0", 1), 1, 0, 1},
        {"\x80", 1, 0x80, 1},                         // a stray continuation byte
        {"\xBF", 1, 0xBF, 1},
        {"\xC3\xA9", 2, 0xE9, 2},
        {"\xC3\x41", 2, 0x81, 2},                     // 0xC3 * 64 + 0x41 - 0x3080
        {"\xE2\x80\x93", 3, 0x2013, 3},
        {"\xEF\xBF\xBF", 3, 0xFFFF, 3},
        {"\xF0\x9F\x98\x80", 4, 0x1F600, 4},
        {std::string("\xF0\x00\x00\x00", 4), 4, 0xF0u * 262144 - 0x3C82080u, 4},  // wraps modulo 2^32
        {"\xF8\x88\x80\x80\x80", 5, 0x05F7DF80, 5},  // 0 - 0xFA082080
        {"\xFC\x84\x80\x80\x80\x80", 6, 0x7DF7DF80, 6},  // 0 - 0x82082080
        {"\xFF\x80\x80\x80\x80\x80", 6, 0x7DF7DF80, 6},
        {"\xE2\x80\x93", 2, 0, 0},                    // cut short
        {"\xC3", 1, 0, 0},
        {"\xF0\x9F\x98", 3, 0, 0},
        {"\xFC\x84\x80\x80\x80", 5, 0, 0},
        {"", 0, 0, 0},
    };
    for (const Case& c : cases) {
        size_t length = 99;
        const uint32_t codePoint =
            DecodeUtf8Char(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytesLeft, &length);
        EXPECT_EQ(codePoint, c.codePoint) << testing::PrintToString(c.bytes);
        EXPECT_EQ(length, c.length) << testing::PrintToString(c.bytes);
    }
    EXPECT_EQ(DecodeUtf8Char(reinterpret_cast<const uint8_t*>("\xC3\xA9"), 2), 0xE9u)
        << "the length is optional";
}

TEST(DecodeUtf8Char, WhitespaceSet) {
    for (uint32_t c : {0x09u, 0x0Au, 0x0Bu, 0x0Cu, 0x0Du, 0x20u, 0x85u, 0xA0u, 0x1680u, 0x2000u,
                       0x2005u, 0x200Au, 0x2028u, 0x2029u, 0x202Fu, 0x205Fu, 0x3000u})
        EXPECT_TRUE(IsFontWhitespace(c)) << std::hex << c;
    for (uint32_t c : {0x00u, 0x08u, 0x0Eu, 0x1Fu, 0x21u, 0x200Bu, 0x2060u, 0xFEFFu, 0x3001u})
        EXPECT_FALSE(IsFontWhitespace(c)) << std::hex << c;
}

}  // namespace
