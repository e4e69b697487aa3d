// The text soup reader: how a value's characters decide its kind, how text values are read,
// names, containers and their ends, the byte-order mark and the ANSI conversion. The
// nesting limit has tests of its own, with the binary form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/streams/t_file.h"
#include "soup_text_test_support.h"

namespace {

using soup_text_test::Describe;
using soup_text_test::Parse;

struct Case {
    std::string text;
    std::string soup; // as soup_text_test::Describe gives it
};

void ExpectSoups(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Describe(c.text), c.soup);
    }
}

TEST(SoupTextReader, AValuesCharactersDecideItsKind) {
    ExpectSoups({
        {"v 12", "v=i:12"},
        {"v 12 \t\r\n", "v=i:12"},
        {"v -0.5", "v=f:-0.5"},
        {"v .5", "v=f:0.5"},
        {"v 1.", "v=f:1"},
        {"v 1.2.3", "v=f:1.2"},
        {"v 1 2 3", "v=f:1,2,3"},
        {"v 1,2,3", "v=f:1,2,3"},
        {"v 1, -2.5", "v=f:1,-2.5"},
        {"v 1e5", "v=s:1e5"},
        {"v +1", "v=s:+1"},
        {"v 3dmodel", "v=s:3dmodel"},
        {"v ,1", "v=s:,1"},
        {"v \"12\"", "v=s:12"},
        {"v abc", "v=s:abc"},
        {"v <kuid:1:2>", "v=k:<kuid:1:2>"},
        {"v <KUID2:1:2:3>", "v=k:<kuid2:1:2:3>"},
        {"v <null>", "v=k:<NULL>"},
        {"v \"<kuid:1:2>\"", "v=k:<kuid:1:2>"},
        {"v <kuid:1:2>,<kuid:3:4>", "v=s:<kuid:1:2>,<kuid:3:4>"},
        {"v <KUID:1:2>,<KUID:3:4>", "v=k:<kuid:1:2>"}, // only lower-case tag texts count
        {"v kuid:1:2", "v=s:kuid:1:2"},
        {"v", "v=e:"},
        {"v  \t", "v=e:"},
        {"v \"\"", "v=s:"},
    });
}

TEST(SoupTextReader, IntegersAreSigned32BitAndNumbersTheScanCannotReadStayText) {
    ExpectSoups({
        {"v 2147483647", "v=i:2147483647"},
        {"v -2147483648", "v=i:-2147483648"},
        {"v 2147483648", "v=s:2147483648"},
        {"v 99999999999", "v=s:99999999999"},
        {"v -", "v=s:-"},
        {"v .", "v=s:."},
        {"v -,-", "v=s:-,-"},
        {"v 1,-,2", "v=f:1,2"},
    });
}

TEST(SoupTextReader, NumberTokensKeepTheirFirstCharactersOnly) {
    // 31 characters of a number count; a list keeps 255.
    ExpectSoups({
        {"v " + std::string(36, '0') + "7", "v=i:0"},
        {"v 1." + std::string(29, '0') + "5", "v=f:1"},
    });
    std::string list = "1";
    for (int i = 0; i < 199; ++i)
        list += ",1";
    const ACSChunkRef soup = Parse("v " + list);
    EXPECT_EQ(soup.GetNamedTagData("v").Size(), 128u * 4);
}

TEST(SoupTextReader, ANumberListSplitsAtSpacesAndCommasButNotAtTabs) {
    ExpectSoups({
        {"v 1\t2", "v=f:1"},
        {"v 1 \t 2", "v=f:1,2"},
        {"v 1,,2  3", "v=f:1,2,3"},
    });
}

TEST(SoupTextReader, TextValuesRunToTheLineEndOrToTheClosingQuote) {
    ExpectSoups({
        {"v abc def  \r\nw 1", "v=s:abc def   w=i:1"},
        {"v say \"hi\"", "v=s:say \"hi\""},
        {"v a\\nb", "v=s:a\r\nb"},
        {"v a\\b\\", "v=s:a\\b\\"},
        {"v \"a\\nb\"", "v=s:a\\nb"},
        {"v \"a\r\nb\"", "v=s:a\r\nb"},
        {"v \"a\nb\"", "v=s:a\r\nb"},
        {"v \"a\rb\"", "v=s:a\r\nb"},
        {"v \"a\n\rb\"", "v=s:a\r\nb"},
        {"v \"a\r\rb\"", "v=s:a\r\n\r\nb"},
        {"v \"a\n\nb\"", "v=s:a\r\n\r\nb"},
        {"v \"a } b\"", "v=s:a } b"},
        {"v \"unclosed\r\nw 1", "v=s:unclosed\r\nw 1"},
        // The value ends at its second quote; the rest of the line is the next tag.
        {"v \"x\"y z", "v=s:x y=s:z"},
    });
}

TEST(SoupTextReader, NamesEndAtBlanksLineEndsAndBraces) {
    ExpectSoups({
        {"MeshTable 1", "meshtable=i:1"},
        {"a\r\nb 2", "a=e: b=i:2"},
        {"a{ 1", "a{=i:1"},
        {"  \t\r\n\r\n a 1", "a=i:1"},
    });
    const std::string longName(600, 'N');
    EXPECT_EQ(Describe(longName + " 1"), std::string(511, 'n') + "=i:1");
}

TEST(SoupTextReader, ALaterTagOfANameReplacesTheEarlierAndMovesToTheEnd) {
    EXPECT_EQ(Describe("a 1\r\nb 2\r\na 3\r\n"), "b=i:2 a=i:3");
}

TEST(SoupTextReader, ContainersOpenOnTheirLineOrALaterOneAndCloseAtABrace) {
    ExpectSoups({
        {"c\r\n{\r\n  x 1\r\n}\r\ny 2", "c{x=i:1} y=i:2"},
        {"c {\r\nx 1 }", "c{x=s:1 }"},
        {"c\r\n\r\n \t\r\n{x 1\r\n}", "c{x=i:1}"},
        {"c {}", "c{}"},
        {"c {\r\n}\r\nd 1", "c{} d=i:1"},
        {"c {\r\n d {\r\n  x 1", "c{d{x=i:1}}"}, // the end of the data closes them
        {"c { d { x 1 } y 2 } z 3", "c{d{x=s:1 } y=s:2 } z=i:3"},
        {"a 1\r\n}\r\nb 2", "a=i:1"}, // a "}" at the top level ends the reading
        {"v 12}", "v=s:12"},
    });
}

TEST(SoupTextReader, TextWithoutTagsGivesANullHandle) {
    for (const std::string text : {"", "\xEF\xBB\xBF", " \t\r\n\r\n", "}\r\nv 1"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Parse(text).Get(), nullptr);
    }
}

TEST(SoupTextReader, AZeroByteEndsTheText) {
    EXPECT_EQ(Describe(std::string("a 1\0b 2", 7)), "a=i:1");
    EXPECT_EQ(Describe(std::string("c {\r\nv \"x\0y\"\r\n}\r\nd 1", 20)), "c{v=s:x}");
}

TEST(SoupTextReader, WithoutAByteOrderMarkTextIsConvertedFromANSI) {
    ExpectSoups({
        {"v caf\xE9", "v=s:caf\xC3\xA9"},
        {"v \"\x80 \x9F\"", "v=s:\xE2\x82\xAC \xC5\xB8"},
        {"c {\r\nv \xE9\r\n}", "c{v=s:\xC3\xA9}"},
        // UTF-8 without the mark is taken for ANSI too.
        {"v caf\xC3\xA9", "v=s:caf\xC3\x83\xC2\xA9"},
        {"\xEF\xBB\xBFv caf\xC3\xA9", "v=s:caf\xC3\xA9"},
        {"\xEF\xBB\xBF" "c {\r\nv \xC3\xA9\r\n}", "c{v=s:\xC3\xA9}"},
    });
    EXPECT_EQ(Describe("v caf\xC3\xA9", true), "v=s:caf\xC3\xA9");
}

TEST(SoupTextReader, AByteOrderMarkCountsOnlyAtPosition0) {
    Kiv::DynamicBuffer memory;
    TBuffer stream(&memory, false);
    const std::string text = "skipped\xEF\xBB\xBFv \xE9";
    stream.WriteBytes(text.data(), text.size());
    stream.MoveTo(7);
    ACSChunkRef soup;
    EXPECT_TRUE(ACSText::Parse(soup, stream, false));
    EXPECT_EQ(soup_text_test::Describe(soup), "\xEF\xBB\xBFv=s:\xC3\xA9");
}

TEST(SoupTextReader, AStreamThatIsNotOpenFailsAndLeavesTheHandleNull) {
    TFile closed;
    ACSChunkRef soup;
    soup.SetNamedTagInt("a", 1);
    EXPECT_FALSE(ACSText::Parse(soup, closed, false));
    EXPECT_EQ(soup.Get(), nullptr);
}

TEST(SoupTextReader, ValuesFarLongerThanTheReadingWindowRead) {
    const std::string text(100000, 'x');
    std::string list = "1";
    for (int i = 0; i < 50000; ++i)
        list += ",2";
    const ACSChunkRef soup = Parse("a " + text + "\r\nb " + list + "\r\nc \"" + text + "\"\r\nd 3");
    EXPECT_EQ(soup.GetNamedTag("a").View(), text);
    EXPECT_EQ(soup.GetNamedTagData("b").Size(), 128u * 4);
    EXPECT_EQ(soup.GetNamedTag("c").View(), text);
    EXPECT_EQ(soup.GetNamedTagAsInt("d", 0), 3);
}

TEST(SoupTextReader, TheStreamIsLeftAtTheBraceThatEndedTheReading) {
    Kiv::DynamicBuffer memory;
    TBuffer stream(&memory, false);
    const std::string text = "a 1\r\n}\r\nrest";
    stream.WriteBytes(text.data(), text.size());
    stream.Rewind();
    ACSChunkRef soup;
    ACSText::Parse(soup, stream, false);
    EXPECT_EQ(stream.Tell(), 5);
}

} // namespace
