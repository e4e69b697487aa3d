// The text soup format written and read back: what survives, what the format loses by
// design, soup files with the "txt" extension, and a reader that survives every prefix of
// a valid file and thousands of seeded random damages.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "soup_test_support.h"
#include "soup_text_test_support.h"

namespace {

using soup_test::Leaf;
using soup_text_test::Describe;
using soup_text_test::Parse;
using soup_text_test::Write;

ACSChunkRef ReadBack(const ACSChunkRef& soup) {
    return Parse(Write(soup));
}

TEST(SoupTextRoundTrip, ValuesComeBackAsTheFormatAllows) {
    struct Case {
        const char* what;
        ACSTagType type;
        ACSRawDataRef value;
        std::string back; // as soup_text_test::Describe gives it
    };
    const std::vector<Case> cases = {
        {"one integer", ACSTagType::IntArray, soup_test::Ints({-7}), "v=i:-7"},
        {"integers become floats", ACSTagType::IntArray, soup_test::Ints({1, 2}), "v=f:1,2"},
        {"float", ACSTagType::FloatArray, soup_test::Floats({-0.25f}), "v=f:-0.25"},
        {"floats", ACSTagType::FloatArray, soup_test::Floats({1.5f, 2}), "v=f:1.5,2"},
        {"KUID", ACSTagType::KUIDArray, soup_test::Kuids({KUID(1, 2, 3)}), "v=k:<kuid2:1:2:3>"},
        {"KUIDs become one", ACSTagType::KUIDArray, soup_test::Kuids({KUID(1, 2, 0), KUID(3, 4, 0)}),
         "v=k:<kuid:1:2>"},
        {"text", ACSTagType::String, soup_test::Text("two words"), "v=s:two words"},
        {"digits as text", ACSTagType::String, soup_test::Text("12"), "v=s:12"},
        {"lines", ACSTagType::String, soup_test::Text("a\r\nb"), "v=s:a\r\nb"},
        {"double quotes", ACSTagType::String, soup_test::Text("say \"hi\""), "v=s:say 'hi'"},
        {"empty text", ACSTagType::String, ACSRawDataRef(), "v=e:"},
        {"blob", ACSTagType::Blob, soup_test::Text("raw"), "v=e:"},
        {"empty tag", ACSTagType::Null, ACSRawDataRef(), "v=e:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ACSChunkRef soup = soup_test::NewContainer();
        soup->AddChild("v", Leaf(c.type, c.value));
        EXPECT_EQ(Describe(ReadBack(soup)), c.back);
    }
}

TEST(SoupTextRoundTrip, FloatsKeepSixSignificantDigits) {
    ACSChunkRef soup;
    soup.SetNamedTagFloat("v", 1.0f / 3);
    EXPECT_EQ(ReadBack(soup).GetNamedTagAsFloat("v", 0), 0.333333f);
    // The exponent form of "%g" is no number to the reader.
    soup.SetNamedTagFloat("v", 1e6f);
    EXPECT_EQ(Describe(ReadBack(soup)), "v=s:1e+06");
}

TEST(SoupTextRoundTrip, NamesComeBackNormalisedAndRepeatedNamesCollapse) {
    ACSChunkRef soup = soup_test::NewContainer();
    const auto one = [](int32_t value) {
        return Leaf(ACSTagType::IntArray, soup_test::Ints({value}));
    };
    soup->AddChild("Mesh Table", one(1));
    soup->AddChild("a", one(2));
    soup->AddChild("b", one(3));
    soup->AddChild("a", one(4));
    EXPECT_EQ(Describe(ReadBack(soup)), "mesh_table=i:1 b=i:3 a=i:4");
}

// A name that begins with "{" after a tag with an empty value would read back as that tag's
// body: its first byte is written as "_".
TEST(SoupTextRoundTrip, ANameOpeningWithABraceStaysATag) {
    ACSChunkRef soup = soup_test::NewContainer();
    soup->AddChild("empty", Leaf(ACSTagType::Null, ACSRawDataRef()));
    soup->AddChild("{g", Leaf(ACSTagType::String, soup_test::Text("g { g")));
    soup->AddChild("last", Leaf(ACSTagType::IntArray, soup_test::Ints({1})));
    EXPECT_EQ(Describe(ReadBack(soup)), "empty=e: _g=s:g { g last=i:1");
}

TEST(SoupTextRoundTrip, NestedSoupsSurvive) {
    const std::string text = "\xEF\xBB\xBF\r\n"
                             "kuid <kuid:1:2>\r\n"
                             "mesh-table\r\n"
                             "{\r\n"
                             "  default\r\n"
                             "  {\r\n"
                             "    mesh \"body.im\"\r\n"
                             "    offset 0,1.5,-2\r\n"
                             "  }\r\n"
                             "  empty\r\n"
                             "  {\r\n"
                             "  }\r\n"
                             "}\r\n"
                             "description \"caf\xC3\xA9\r\nsecond line\"\r\n";
    const ACSChunkRef soup = Parse(text);
    const std::string described = "kuid=k:<kuid:1:2> mesh-table{default{mesh=s:body.im "
                                  "offset=f:0,1.5,-2} empty{}} description=s:caf\xC3\xA9\r\n"
                                  "second line";
    EXPECT_EQ(Describe(soup), described);
    const std::string written = Write(soup);
    EXPECT_EQ(Describe(written), described);
    EXPECT_EQ(Write(Parse(written)), written);
}

TEST(SoupTextRoundTrip, SoupFilesWithTheTxtExtensionUseTheTextForm) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("soup_text_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    ACSChunkRef soup;
    soup.SetNamedTagInt("a", 5);
    ASSERT_TRUE(soup.SaveToFile(folder.c_str(), "config.TXT", nullptr));

    ACSChunkRef loaded;
    ASSERT_TRUE(loaded.LoadFromFile(folder.c_str(), "config.TXT", nullptr, false));
    EXPECT_EQ(Describe(loaded), "a=i:5");
    std::filesystem::remove_all(folder);
}

// A file that uses every part of the format, to damage.
std::string SampleFile() {
    ACSChunkRef soup;
    soup.SetNamedTagInt("count", -12);
    soup.SetNamedTagFloat("scale", 0.5f);
    soup.SetNamedTagKUID("kuid", KUID(1, 2, 3));
    soup.SetNamedTagString("name", "Quoted \"text\"\r\nover lines");
    const float floats[] = {1, -2.5f, 3};
    soup.SetNamedTagFloatArray("offset", floats);
    soup.SetNamedTagEmpty("empty");
    ACSChunkRef inner;
    inner.SetNamedTagString("path", "a\\b}c{d");
    ACSChunkRef middle;
    middle.SetNamedSoup("inner", inner);
    middle.SetNamedTagString("ansi", "caf\xE9");
    soup.SetNamedSoup("middle", middle);
    return Write(soup) + "tail 1 2\r\nlast \"unclosed\r\n";
}

// Reading must end, and what it read must settle into text that reads back as written.
// Two rounds may change it first: names that normalise alike collapse on the second
// reading, and a float -0 written as "-0" comes back as the integer 0.
void ExpectReadable(const std::string& text) {
    const std::string once = Write(Parse(text));
    const std::string twice = Write(Parse(once));
    EXPECT_EQ(Write(Parse(twice)), twice);
}

TEST(SoupTextHostileInput, EveryPrefixOfAValidFileReads) {
    const std::string file = SampleFile();
    for (size_t length = 0; length <= file.size(); ++length) {
        SCOPED_TRACE(length);
        ExpectReadable(file.substr(0, length));
    }
}

TEST(SoupTextHostileInput, RandomlyDamagedFilesRead) {
    const std::string file = SampleFile();
    static constexpr char kTroublesome[] = {'{', '}', '"', '\r', '\n', '\\', ' ', '\0', '-', '.'};
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = file;
        const int damages = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < damages && !damaged.empty(); ++i) {
            const size_t at = random() % damaged.size();
            switch (random() % 4) {
            case 0:
                damaged[at] = static_cast<char>(damaged[at] ^ (1 << (random() % 8)));
                break;
            case 1:
                damaged[at] = kTroublesome[random() % sizeof kTroublesome];
                break;
            case 2:
                damaged.insert(at, 1, kTroublesome[random() % sizeof kTroublesome]);
                break;
            default:
                damaged.erase(at, 1 + random() % 16);
                break;
            }
        }
        SCOPED_TRACE(round);
        ExpectReadable(damaged);
    }
}

} // namespace
