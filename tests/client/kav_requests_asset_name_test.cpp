// Asset names: cleaning a name of blanks and one pair of quotes (ASCII, CP1252 curly quotes
// beside an ASCII byte, UTF-8 curly quotes), and the display name of a config soup with the
// underscore rule of content older than build 2.90.
#include <gtest/gtest.h>

#include <string>

#include "link/kav/kav_asset_info.h"
#include "foundation/text/interface_text.h"
#include "foundation/soup/chunk_ref.h"

namespace {

std::string Untitled() { return GetInterfaceText("$cd_general_untitled").Std(); }

TEST(KAVAssetNameTest, CleanNameTable) {
    const std::pair<std::string, std::string> cases[] = {
        {"Coal wagon", "Coal wagon"},
        {" \t\r\nCoal wagon \n", "Coal wagon"},
        {"\"Coal wagon\"", "Coal wagon"},
        {"'Coal wagon'", "Coal wagon"},
        {"\" Coal wagon \"", " Coal wagon "},      // blanks inside the quotes stay
        {"  \"Coal\"  ", "Coal"},
        {"\"\"Coal\"\"", "\"Coal\""},               // one quote at each end only
        {"\x93" "Coal\x94", "Coal"},                // CP1252 curly quotes
        {"\x91" "Coal\x92", "Coal"},
        {"\x93\xE9t\xE9\x94", "\x93\xE9t\xE9\x94"}, // curly quote beside a non-ASCII byte
        {"\x93", "\x93"},                           // a lone 0x93 is not changed
        {"\xE2\x80\x9C" "Coal\xE2\x80\x9D", "Coal"}, // UTF-8 curly double quotes
        {"\xE2\x80\x98" "Coal\xE2\x80\x99", "Coal"}, // UTF-8 curly single quotes
        {"\xE2\x80\x9D" "Coal\xE2\x80\x9C", "\xE2\x80\x9D" "Coal\xE2\x80\x9C"},
    };
    for (const auto& [name, cleaned] : cases) {
        EXPECT_EQ(KAVAssetInfo::CleanName(Kiv::String(name)).Std(), cleaned) << name;
    }
}

TEST(KAVAssetNameTest, NamesWithNothingLeftBecomeUntitled) {
    ASSERT_FALSE(Untitled().empty());
    for (const char* name : {"", "   ", "\t\r\n ", "\"\"", "''", "\"", "\xE2\x80\x9C\xE2\x80\x9D"}) {
        EXPECT_EQ(KAVAssetInfo::CleanName(name).Std(), Untitled()) << name;
    }
}

TEST(KAVAssetNameTest, DisplayNameTakesTheFirstNameAndTheUnderscoreRule) {
    struct Case {
        const char* username;
        const char* name;
        const char* file;
        const char* build; // null: no tag
        const char* shown;
    };
    const Case cases[] = {
        {"Big_Wagon", "name_b", "file_c", "2.85", "Big Wagon"},
        {"Big_Wagon", "name_b", "file_c", "2.9", "Big_Wagon"},
        {"", "name_b", "file_c", "3.5", "name_b"},
        {"", "", "\"file_c\"", "2.9", "file_c"},
        {"", "", "old_file", nullptr, "old file"},
        {"", "", "", "2.9", nullptr},
    };
    for (const Case& c : cases) {
        ACSChunkRef soup;
        soup.SetNamedTagString("username", c.username);
        soup.SetNamedTagString("name", c.name);
        soup.SetNamedTagString("asset-filename", c.file);
        if (c.build) soup.SetNamedTagString("kodrin-build", c.build);
        const std::string expected = c.shown ? c.shown : Untitled();
        EXPECT_EQ(KAVAssetInfo::DisplayName(soup).Std(), expected) << c.username << c.file;
    }
}

} // namespace
