// The text soup writer, against bytes written out by hand: the byte-order mark, CR LF, the
// column-40 layout, braces and blank lines, quoting, name normalising, and the limits that
// keep deep and cyclic soups finite.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "soup_test_support.h"
#include "soup_text_test_support.h"

namespace {

using soup_test::Leaf;
using soup_test::NewContainer;
using soup_text_test::Write;

const std::string kHead = "\xEF\xBB\xBF\r\n";

std::string Spaces(size_t n) {
    return std::string(n, ' ');
}

TEST(SoupTextWriter, WritesASmallSoupByteForByte) {
    ACSChunkRef soup;
    soup.SetNamedTagInt("a", 5);
    ACSChunkRef b;
    b.SetNamedTagString("c", "x");
    soup.SetNamedSoup("b", b);
    soup.SetNamedTagFloat("d", 1.5f);

    const std::string expected = kHead +                          //
                                 "a" + Spaces(39) + "5\r\n" +     //
                                 "\r\n" +                         // before the container b
                                 "b\r\n" +                        //
                                 "{\r\n" +                        //
                                 "  c" + Spaces(37) + "\"x\"\r\n" //
                                 "}\r\n" +                        //
                                 "d" + Spaces(39) + "1.5\r\n";
    EXPECT_EQ(Write(soup), expected);
}

TEST(SoupTextWriter, ABlankLineHoldingTheIndentationPrecedesEveryContainerButAFirstChild) {
    ACSChunkRef inner;
    inner.SetNamedTagInt("x", 1);
    ACSChunkRef empty;
    ACSChunkRef outer;
    outer.SetNamedSoup("first", inner);
    outer.SetNamedSoup("second", empty);
    ACSChunkRef soup;
    soup.SetNamedSoup("outer", outer);

    const std::string expected = kHead +                        //
                                 "outer\r\n" +                  // first child: no blank line
                                 "{\r\n" +                      //
                                 "  first\r\n" +                //
                                 "  {\r\n" +                    //
                                 "    x" + Spaces(35) + "1\r\n" //
                                 "  }\r\n" +                    //
                                 "  \r\n" +                     // the children's indentation
                                 "  second\r\n" +               //
                                 "  {\r\n" +                    //
                                 "  }\r\n" +                    //
                                 "}\r\n";
    EXPECT_EQ(Write(soup), expected);
}

TEST(SoupTextWriter, ValuesAreTheirTextQuotedByType) {
    struct Case {
        const char* what;
        ACSTagType type;
        ACSRawDataRef value;
        std::string written; // after the name "v" and its padding
    };
    const std::vector<Case> cases = {
        {"one integer", ACSTagType::IntArray, soup_test::Ints({-3}), "-3"},
        {"integers", ACSTagType::IntArray, soup_test::Ints({1, 2}), "1,2"},
        {"floats", ACSTagType::FloatArray, soup_test::Floats({1.5f, -0.25f}), "1.5,-0.25"},
        {"six digits", ACSTagType::FloatArray, soup_test::Floats({1.0f / 3}), "0.333333"},
        {"exponent form", ACSTagType::FloatArray, soup_test::Floats({1e6f}), "1e+06"},
        {"KUID", ACSTagType::KUIDArray, soup_test::Kuids({KUID(1, 2, 0)}), "<kuid:1:2>"},
        {"KUIDs: the first", ACSTagType::KUIDArray,
         soup_test::Kuids({KUID(1, 2, 3), KUID(4, 5, 0)}), "<kuid2:1:2:3>"},
        {"null KUID", ACSTagType::KUIDArray, soup_test::Kuids({KUID::Null()}), "<NULL>"},
        {"text", ACSTagType::String, soup_test::Text(std::string("x\0", 2)), "\"x\""},
        {"text without its zero", ACSTagType::String, soup_test::Text("abc"), "\"abc\""},
        {"text to its first zero", ACSTagType::String, soup_test::Text(std::string("ab\0cd", 5)),
         "\"ab\""},
        {"digits as text", ACSTagType::String, soup_test::Text("12"), "\"12\""},
        {"double quotes", ACSTagType::String, soup_test::Text("say \"hi\""), "\"say 'hi'\""},
        {"line ends", ACSTagType::String, soup_test::Text("two\r\nlines"), "\"two\r\nlines\""},
        {"empty text", ACSTagType::String, ACSRawDataRef(), ""},
        {"blob", ACSTagType::Blob, soup_test::Text("raw"), ""},
        {"empty tag", ACSTagType::Null, ACSRawDataRef(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ACSChunkRef soup = NewContainer();
        soup->AddChild("v", Leaf(c.type, c.value));
        EXPECT_EQ(Write(soup), kHead + "v" + Spaces(39) + c.written + "\r\n");
    }
}

TEST(SoupTextWriter, ValuesStartAtColumn40AfterAtLeastOneSpace) {
    struct Case {
        size_t nameLength;
        bool nested;
        size_t spaces;
    };
    const Case cases[] = {{1, false, 39}, {38, false, 2}, {39, false, 1}, {40, false, 1},
                          {41, false, 1}, {36, true, 2},  {37, true, 1},  {38, true, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nameLength << (c.nested ? " nested" : ""));
        const std::string name(c.nameLength, 'n');
        ACSChunkRef tags;
        tags.SetNamedTagInt(Kiv::PString(name), 7);
        const std::string line = name + Spaces(c.spaces) + "7\r\n";
        if (!c.nested) {
            EXPECT_EQ(Write(tags), kHead + line);
            continue;
        }
        ACSChunkRef soup;
        soup.SetNamedSoup("s", tags);
        EXPECT_EQ(Write(soup), kHead + "s\r\n{\r\n  " + line + "}\r\n");
    }
}

TEST(SoupTextWriter, NamesAreLowerCasedWithUnderscoresForBytesTheReaderWouldMisread) {
    struct Case {
        std::string name;
        std::string written;
    };
    const std::vector<Case> cases = {
        {"Mesh Table", "mesh_table"},
        {"a\tb\x01\x7f\x80\xff", "a_b_\x7f__"},
        {"end}of", "end_of"},
        {"{open", "_open"},
        {"a{b", "a{b"},
        {"", "_"},
        {std::string(1030, 'N'), std::string(1024, 'n')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        ACSChunkRef soup = NewContainer();
        soup->AddChild(Kiv::PString(c.name), Leaf(ACSTagType::IntArray, soup_test::Ints({1})));
        const size_t spaces = c.written.size() < 40 ? 40 - c.written.size() : 1;
        EXPECT_EQ(Write(soup), kHead + c.written + Spaces(spaces) + "1\r\n");
    }
}

TEST(SoupTextWriter, ANullRootWritesNothingAndAnEmptyContainerOnlyTheHead) {
    EXPECT_EQ(Write(ACSChunkRef()), "");
    EXPECT_EQ(Write(ACSChunk::NullChunk()), "");
    EXPECT_EQ(Write(NewContainer()), kHead);
}

// A chain of nested containers, each named "c", holding "x" at the bottom.
ACSChunkRef Chain(int levels) {
    ACSChunkRef bottom;
    bottom.SetNamedTagInt("x", 1);
    for (int i = 0; i < levels; ++i) {
        ACSChunkRef parent;
        parent.SetNamedSoup("c", bottom);
        bottom = parent;
    }
    return bottom;
}

// The lines of text written at the deepest indentation, without their CR LF.
std::vector<std::string> DeepestLines(const std::string& text) {
    std::vector<std::string> deepest;
    size_t indent = 0;
    for (size_t start = 0, end = 0; start < text.size(); start = end + 2) {
        end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t spaces = std::min(line.find_first_not_of(' '), line.size());
        if (spaces > indent) deepest.clear();
        if (spaces >= indent) {
            indent = spaces;
            deepest.push_back(line);
        }
    }
    return deepest;
}

TEST(SoupTextWriter, ContainersAtTheDeepestLevelAreWrittenEmpty) {
    const std::string bottom = Spaces(2 * 512); // level 512, the deepest written
    EXPECT_EQ(DeepestLines(Write(Chain(512))),
              (std::vector<std::string>{bottom + "x" + Spaces(1) + "1"}));
    EXPECT_EQ(DeepestLines(Write(Chain(600))),
              (std::vector<std::string>{bottom + "c", bottom + "{", bottom + "}"}));
}

TEST(SoupTextWriter, AContainerThatHoldsItselfIsWrittenEmptyWhereItRecurs) {
    ACSChunkRef soup;
    soup.SetNamedTagInt("v", 1);
    ACSChunkRef self = soup;
    soup.SetNamedSoup("a", self);
    soup.SetNamedSoup("b", self);

    const std::string expected = kHead +                      //
                                 "v" + Spaces(39) + "1\r\n" + //
                                 "\r\n" +                     //
                                 "a\r\n{\r\n}\r\n" +          //
                                 "\r\n" +                     //
                                 "b\r\n{\r\n}\r\n";
    EXPECT_EQ(Write(soup), expected);
    Kiv::DynamicBuffer memory;
    TBuffer stream(&memory, false);
    ACSText::Write(soup, stream);
    EXPECT_EQ(stream.GetError(), TStream::kErrorIO); // what the empty bodies left out
    soup.RemoveNamedTag("a"); // break the cycle, so the soup can be freed
    soup.RemoveNamedTag("b");
}

} // namespace
