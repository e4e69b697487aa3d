// Kiv::UId from GUID text: the bytes in text order, either case of the digits, and every
// other shape refused.
#include "engine/uid.h"

#include <gtest/gtest.h>

namespace {

TEST(UId, ParsesGuidTextInTextOrderIgnoringCase) {
    constexpr auto parsed = Kiv::UId::Parse("4C414E80-BBDA-11d4-9AD7-0001025364B8");
    static_assert(parsed.has_value(), "an identifier written as text is checked when compiled");
    const std::array<uint8_t, 16> expected = {0x4C, 0x41, 0x4E, 0x80, 0xBB, 0xDA, 0x11, 0xD4,
                                              0x9A, 0xD7, 0x00, 0x01, 0x02, 0x53, 0x64, 0xB8};
    EXPECT_EQ(parsed->Bytes(), expected);
    EXPECT_EQ(parsed, Kiv::UId::Parse("4c414e80-bbda-11D4-9ad7-0001025364b8"));
    EXPECT_NE(parsed, Kiv::UId::Parse("4C414E80-BBDA-11d4-9AD7-0001025364B9"));
    EXPECT_FALSE(parsed->IsNull());
    EXPECT_TRUE(Kiv::UId().IsNull());
    EXPECT_TRUE(Kiv::UId::Parse("00000000-0000-0000-0000-000000000000")->IsNull());
}

TEST(UId, RefusesOtherShapes) {
    const char* refused[] = {
        "",
        "{4C414E80-BBDA-11d4-9AD7-0001025364B8}",
        "4C414E80-BBDA-11d4-9AD7-0001025364B",    // a digit short
        "4C414E80-BBDA-11d4-9AD7-0001025364B80",  // a digit more
        "4C414E80BBDA-11d4-9AD7-0001025364B8-",   // hyphen moved
        "4C414E80-BBDA-11d4-9AD7_0001025364B8",
        "4C414E8G-BBDA-11d4-9AD7-0001025364B8",
        "4C414E80-BBDA-11d4-9AD7-0001025364 8",
        "-C414E80-BBDA-11d4-9AD7-0001025364B8",
    };
    for (const char* text : refused) EXPECT_FALSE(Kiv::UId::Parse(text).has_value()) << text;
}

}  // namespace
