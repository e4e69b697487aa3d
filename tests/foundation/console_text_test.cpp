// The console character table in both directions.
#include "foundation/console/console_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsoleText, WideToNarrowKeepsOnlyTheTable) {
    const std::u16string wide = u"Az ~\x7F\t\n\r"
                                u"\u00AB\u00B0\u00BB\u2013\u2018\u2019\u201C\u201D\u2026"
                                u"\u00E9\u20AC\u0093\x01\uFFFD";
    EXPECT_EQ(WideToNarrowText(wide),
              "Az ~\x7F\t\n\r"
              "\xAB\xB0\xBB\x96\x91\x92\x93\x94\x85"
              "?????");
}

TEST(ConsoleText, NarrowToWideReadsTheTableBackwards) {
    const std::string narrow = "Az\x85\x91\x92\x93\x94\x96\xAB\xB0\xBB\x80\x95\xE9\x01";
    EXPECT_EQ(NarrowToWideText(narrow),
              std::u16string(u"Az\u2026\u2018\u2019\u201C\u201D\u2013\u00AB\u00B0\u00BB"
                             u"\u0080\u0095\u00E9\u0001"));
}

TEST(ConsoleText, SurrogatePairsPrintAsTwoQuestionMarks) {
    const std::u16string emoji = {0xD83D, 0xDE00};
    EXPECT_EQ(WideToNarrowText(emoji), "??");
}

}  // namespace
