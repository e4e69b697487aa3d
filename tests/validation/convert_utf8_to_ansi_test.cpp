// The driver's own texts go into the log in the ANSI code page (Windows-1252).
#include <gtest/gtest.h>

#include <string>

#include "validation/darodi/validate_asset.h"

namespace {

TEST(ConvertUtf8ToAnsi, MapsThroughWindows1252) {
    struct Case {
        const char* utf8;
        std::string ansi;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"Caf\xC3\xA9", "Caf\xE9"},                 // U+00E9
        {"\xE2\x82\xAC 5", "\x80 5"},               // the euro sign, 0x80 in Windows-1252
        {"\xE6\x97\xA5 x", "? x"},                  // no Windows-1252 byte
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::string(ConvertUtf8ToAnsi(c.utf8).View()), c.ansi) << c.utf8;
    EXPECT_TRUE(ConvertUtf8ToAnsi(nullptr).IsEmpty());
}

} // namespace
