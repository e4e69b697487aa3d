// KUID: the four text forms, both parse modes with their edge cases, the unsigned order,
// the packed form with its 25-bit user id, and KUID lists used as sets.
#include "foundation/kuid/kuid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

#include "foundation/kuid/kuid_list.h"

// Failure messages show KUIDs as tags.
static void PrintTo(const KUID& kuid, std::ostream* out) {
    *out << kuid.ToTag().c_str();
}

namespace {

const KUID kNull;

TEST(Kuid, TextForms) {
    struct Case {
        KUID kuid;
        const char* tag;
        const char* shortTag;
        const char* config;
        const char* display;
    };
    const Case cases[] = {
        {KUID(1, 2, 0), "<kuid:1:2>", "<kuid:1:2>", "kuid 1 2", "1:2"},
        {KUID(1, 2, 3), "<kuid2:1:2:3>", "<kuid:1:2>", "kuid2 1 2 3", "1:2:3"},
        {KUID(-5, 7, 127), "<kuid:-5:7>", "<kuid:-5:7>", "kuid -5 7", "-5:7"},
        {KUID(-5, 7, 0), "<kuid2:-5:7:0>", "<kuid:-5:7>", "kuid2 -5 7 0", "-5:7:0"},
        {KUID(5, 7, 127), "<kuid2:5:7:127>", "<kuid:5:7>", "kuid2 5 7 127", "5:7:127"},
        {KUID(0, -3, 0), "<kuid:0:-3>", "<kuid:0:-3>", "kuid 0 -3", "0:-3"},
        {kNull, "<NULL>", "<NULL>", "NULLKUID", "NULLKUID"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        EXPECT_STREQ(c.kuid.ToTag().c_str(), c.tag);
        EXPECT_STREQ(c.kuid.ToShortTag().c_str(), c.shortTag);
        EXPECT_STREQ(c.kuid.ToConfigString().c_str(), c.config);
        EXPECT_STREQ(c.kuid.ToDisplayString().c_str(), c.display);
    }
}

TEST(Kuid, DefaultIsTheNullKUID) {
    EXPECT_EQ(kNull, KUID(-1, -1, 127));
    EXPECT_TRUE(kNull.IsNull());
    EXPECT_EQ(KUID::Null(), kNull);
    EXPECT_FALSE(KUID(-1, -1, 126).IsNull());
}

struct ParseCase {
    const char* text;
    KUID strict;
    KUID lenient;
};

const ParseCase kParseCases[] = {
    // The null tag in any case.
    {"<NULL>", kNull, kNull},
    {"<null>", kNull, kNull},
    {"<Null>xyz", kNull, kNull},
    // Tags and prefixes, letters in any case, in both modes.
    {"<kuid:12:34>", KUID(12, 34, 0), KUID(12, 34, 0)},
    {"<KUID:12:34>", KUID(12, 34, 0), KUID(12, 34, 0)},
    {"Kuid:12:34", KUID(12, 34, 0), KUID(12, 34, 0)},
    {"<kuid:-5:7>", KUID(-5, 7, 127), KUID(-5, 7, 127)},
    {"<kuid2:1:2:3>", KUID(1, 2, 3), KUID(1, 2, 3)},
    {"<KUID2:5:7:127>", KUID(5, 7, 127), KUID(5, 7, 127)},
    {"kuid2:1:2:3", KUID(1, 2, 3), KUID(1, 2, 3)},
    {"<kuid:12:34>trailing", KUID(12, 34, 0), KUID(12, 34, 0)},
    {"kuid:12:34 trailing", KUID(12, 34, 0), KUID(12, 34, 0)},
    // Shapes only the lenient mode lets through.
    {"<kuid:12:34", kNull, KUID(12, 34, 0)},
    {"<kuid:+12:34>", kNull, KUID(12, 34, 0)},
    {"<kuid: 12:34>", kNull, KUID(12, 34, 0)},
    {"<kuid2:1:2:3", kNull, KUID(1, 2, 3)},
    {"kuid:x", kNull, kNull},
    // Bare forms: lenient only.
    {"12:34", kNull, KUID(12, 34, 0)},
    {"-5:7", kNull, KUID(-5, 7, 127)},
    {"<12:34>", kNull, KUID(12, 34, 0)},
    {"<12:34", kNull, KUID(12, 34, 0)},
    {"99", kNull, KUID(-1, 99, 127)},
    {"1:2:3", kNull, kNull},
    {"<1:2:3>", kNull, kNull},
    {"12:34>", kNull, kNull},
    {"<12>34:5>", kNull, kNull},
    {"12 34", kNull, kNull},
    {"", kNull, kNull},
    {"kuid 1 2", kNull, kNull},
    // Ranges: user ids, reserved ids only with version 127, versions 0..127.
    {"<kuid2:33554431:1:0>", KUID(0x1FFFFFF, 1, 0), KUID(0x1FFFFFF, 1, 0)},
    {"<kuid2:33554432:1:0>", kNull, kNull},
    {"<kuid:-33554432:1>", KUID(-0x2000000, 1, 127), KUID(-0x2000000, 1, 127)},
    {"<kuid:-33554433:1>", kNull, kNull},
    {"<kuid2:-5:7:0>", kNull, kNull},
    {"<kuid2:-5:7:127>", kNull, kNull},
    {"kuid2:-5:7:127", kNull, kNull},
    {"<kuid2:1:2:128>", kNull, kNull},
    {"<kuid2:1:2:-1>", kNull, kNull},
    // Digit runs that do not fit 32 bits are not read and never wrap around.
    {"<kuid:99999999999:5>", kNull, kNull},
    {"<kuid:4294967308:5>", kNull, kNull},
    {"4294967308:5", kNull, kNull},
    // Empty digit runs pass the tag's strict shape and then fail the range check.
    {"<kuid::>", kNull, kNull},
    {"<kuid2:1::3>", kNull, KUID(1, -1, 127)},
};

TEST(Kuid, ParseInBothModes) {
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(KUID::Parse(c.text, true), c.strict);
        EXPECT_EQ(KUID::Parse(c.text, false), c.lenient);
    }
    EXPECT_EQ(KUID::Parse(nullptr, false), kNull);
}

TEST(Kuid, TagsParseBackExceptANegativeUserWithAVersion) {
    const KUID kuids[] = {KUID(1, 2, 0),
                          KUID(1, 2, 3),
                          KUID(-5, 7, 127),
                          KUID(5, 7, 127),
                          KUID(0x1FFFFFF, 2147483647, 127),
                          kNull};
    for (const KUID& kuid : kuids) {
        SCOPED_TRACE(kuid.ToTag().c_str());
        EXPECT_EQ(KUID::Parse(kuid.ToTag().c_str(), true), kuid);
    }
    EXPECT_EQ(KUID::Parse(KUID(-5, 7, 0).ToTag().c_str(), true), kNull);
}

TEST(Kuid, OrderComparesEachFieldUnsigned) {
    EXPECT_TRUE(KUID(5, 0, 0) < KUID(-1, 0, 127));
    EXPECT_FALSE(KUID(-1, 0, 127) < KUID(5, 0, 0));
    EXPECT_TRUE(KUID(1, 5, 0) < KUID(1, -1, 0));
    EXPECT_TRUE(KUID(1, 2, 3) < KUID(1, 2, 4));
    EXPECT_FALSE(KUID(1, 2, 3) < KUID(1, 2, 3));

    std::vector<KUID> kuids = {KUID(-2, 0, 127), KUID(3, 1, 0), KUID(3, 0, 5), KUID(0, 9, 0)};
    std::sort(kuids.begin(), kuids.end());
    EXPECT_EQ(kuids,
              (std::vector<KUID>{KUID(0, 9, 0), KUID(3, 0, 5), KUID(3, 1, 0), KUID(-2, 0, 127)}));
}

TEST(Kuid, PackedFormKeeps25BitsOfTheUserId) {
    struct Case {
        KUID kuid;
        uint32_t word0;
        uint32_t word1;
        KUID unpacked;
    };
    const Case cases[] = {
        {KUID(1, 2, 3), 0x06000001u, 2u, KUID(1, 2, 3)},
        {kNull, 0xFFFFFFFFu, 0xFFFFFFFFu, kNull},
        {KUID(-5, 7, 127), 0xFFFFFFFBu, 7u, KUID(-5, 7, 127)},
        {KUID(0xFFFFFF, -2, 0), 0x00FFFFFFu, 0xFFFFFFFEu, KUID(0xFFFFFF, -2, 0)},
        {KUID(-0x1000000, 1, 127), 0xFF000000u, 1u, KUID(-0x1000000, 1, 127)},
        // User ids of 0x1000000 and above come back negative.
        {KUID(0x1000000, 1, 0), 0x01000000u, 1u, KUID(-0x1000000, 1, 0)},
        {KUID(0x1FFFFFF, 1, 0), 0x01FFFFFFu, 1u, KUID(-1, 1, 0)},
        // Reserved ids below -0x1000000 come back positive.
        {KUID(-0x1000001, 1, 127), 0xFEFFFFFFu, 1u, KUID(0xFFFFFF, 1, 127)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kuid.ToTag().c_str());
        PackedKUID packed = c.kuid.Pack();
        EXPECT_EQ(packed.word0, c.word0);
        EXPECT_EQ(packed.word1, c.word1);
        EXPECT_EQ(KUID::Unpack(packed), c.unpacked);
    }
}

TEST(Kuid, AddUniqueSkipsTheNullKUIDAndDuplicates) {
    KUIDList list;
    EXPECT_TRUE(AddUnique(list, KUID(1, 2, 0)));
    EXPECT_FALSE(AddUnique(list, kNull));
    EXPECT_TRUE(AddUnique(list, KUID(1, 2, 3)));
    EXPECT_FALSE(AddUnique(list, KUID(1, 2, 0)));
    EXPECT_TRUE(AddUnique(list, KUID(-1, 2, 127)));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(*list.At(0), KUID(1, 2, 0));
    EXPECT_EQ(*list.At(1), KUID(1, 2, 3));
    EXPECT_EQ(*list.At(2), KUID(-1, 2, 127));
}

} // namespace
