// CRC-32 against the published check values of the IEEE polynomial.
#include "foundation/text/crc32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(Crc32, MatchesPublishedCheckValues) {
    struct Case {
        const char* text;
        uint32_t crc;
    };
    const Case cases[] = {
        {"", 0x00000000u},
        {"123456789", 0xCBF43926u},
        {"abc", 0x352441C2u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComputeCrc32(c.text, std::strlen(c.text)), c.crc) << c.text;
    }
}

TEST(Crc32, CoversEveryByteValue) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    EXPECT_EQ(ComputeCrc32(bytes.data(), bytes.size()), 0x29058C73u);
}

TEST(Crc32LowerCase, LowersAsciiLettersOnly) {
    EXPECT_EQ(ComputeCrc32LowerCase("123456789"), 0xCBF43926u);
    EXPECT_EQ(ComputeCrc32LowerCase("ABC"), 0x352441C2u);
    EXPECT_EQ(ComputeCrc32LowerCase("Foo.gs"), ComputeCrc32LowerCase("FOO.GS"));
    EXPECT_EQ(ComputeCrc32LowerCase("FOO.GS"), ComputeCrc32("foo.gs", 6));
    // Bytes above ASCII keep their value, as the "C" locale's tolower leaves them.
    EXPECT_EQ(ComputeCrc32LowerCase("\xC4@["), ComputeCrc32("\xC4@[", 3));
    EXPECT_EQ(ComputeCrc32LowerCase(""), 0u);
    EXPECT_EQ(ComputeCrc32LowerCase(nullptr), 0u);
}

}  // namespace
