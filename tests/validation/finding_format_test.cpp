// The finding formatter: the conversions it renders, the ones it copies, arguments of the
// wrong type for their letter, missing and surplus arguments, and the bounds.
#include <gtest/gtest.h>

#include <string>

#include "validation/darodi/finding_format.h"
#include "validation_test_support.h"

namespace {

using DAROdi::FindingArg;
using DAROdi::FormatFindingText;

TEST(FindingFormat, RendersEachArgumentByItsOwnType) {
    struct Case {
        const char* format;
        std::string expected;
    };
    const Case cases[] = {
        {"%d", "42"},            // integer
        {"%5d|", "   42|"},      // width
        {"%-5d|", "42   |"},     // left
        {"%05d", "00042"},       // zero flag
        {"%+d", "+42"},
        {"%x", "2a"},
        {"%#x", "0x2a"},
        {"%u", "42"},
        {"%s", "42"},            // text letter, integer argument
        {"%f", "42"},            // float letter, integer argument
        {"%i items", "42 items"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFindingText(c.format, {42}), c.expected) << c.format;
    EXPECT_EQ(FormatFindingText("%u %x", {-1, -1}), "4294967295 ffffffff");
    EXPECT_EQ(FormatFindingText("%.2f|%g|%d|%s", {1.5, 0.25, 2.5, 3.0}), "1.50|0.25|2.5|3");
    EXPECT_EQ(FormatFindingText("[%6.3s][%-4s][%d]", {"abcdef", "ab", "text"}),
              "[   abc][ab  ][text]");
}

TEST(FindingFormat, NeverHandsTheTextToPrintf) {
    // One text for four conversions: %n is copied, the rest print nothing.
    EXPECT_EQ(FormatFindingText("%s %s %n %d", {"wagon"}), "wagon  %n ");
    EXPECT_EQ(FormatFindingText("100%% of %s", {"it"}), "100% of it");
    EXPECT_EQ(FormatFindingText("%ld %p %*d %5", {1, 2}), "%ld %p %*d %5");
    EXPECT_EQ(FormatFindingText("end %", {1}), "end %");
    EXPECT_EQ(FormatFindingText("%s", {"a", "surplus", 7}), "a");
    EXPECT_EQ(FormatFindingText("no conversion", {}), "no conversion");
}

TEST(FindingFormat, BoundsWidthPrecisionAndLength) {
    EXPECT_EQ(FormatFindingText("%1000d", {7}), std::string(63, ' ') + "7");
    EXPECT_EQ(FormatFindingText("%.1000f", {1.0}).size(), 2u + 64u);
    EXPECT_EQ(FormatFindingText("%99999999999999999999s", {"x"}).size(), 64u);
    const std::string huge(10000, 'a');
    EXPECT_EQ(FormatFindingText("%s%s", {huge, huge}).size(), DAROdi::kMaxFindingBytes);
    EXPECT_EQ(FormatFindingText(huge, {}).size(), DAROdi::kMaxFindingBytes);
}

TEST(FindingFormat, FillsTheInterfaceTextOfAKey) {
    validation_test::TempFolder folder;
    validation_test::ScopedInterfaceText text(
        folder, "$tet_wheels                             \"%s has %d wheels, %n\"\n");
    EXPECT_EQ(DAROdi::FormatFinding("$tet_wheels", "Wagon", 4),
              Kiv::PString("Wagon has 4 wheels, %n"));
    EXPECT_EQ(DAROdi::FormatFinding("$tet_missing", 1), Kiv::PString("$tet_missing"));
}

} // namespace
