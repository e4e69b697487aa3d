// The one nesting limit of both soup forms, across its boundary: a chain of 511, 512 and 513
// containers with a value at the bottom and a tag after the chain, read from hand-made text
// and binary bytes, written by both writers, and carried from each form into the other.
// Whatever a reader keeps, the other form holds in full; what lies too deep is skipped with a
// warning by the text reader, refused by the binary reader, and reported by both writers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "engine/log.h"
#include "engine/options.h"
#include "foundation/soup/soup_depth.h"
#include "soup_binary_test_support.h"
#include "soup_text_test_support.h"

namespace {

using namespace soup_binary_test;

// n containers named "c", one in another, the innermost holding "x" = 1; then "after" = 2 at
// the top level. "x" lies n containers below the root.
std::string NestedText(int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += "c\r\n{\r\n";
    text += "x 1\r\n";
    for (int i = 0; i < n; ++i)
        text += "}\r\n";
    return text + "after 2\r\n";
}

Bytes NestedBody(int n) {
    Bytes inner = Entry("x", 1, Int32(1));
    for (int i = 0; i < n; ++i)
        inner = Entry("c", 0, inner);
    return Join({inner, Entry("after", 1, Int32(2))});
}

ACSChunkRef NestedSoup(int n) {
    ACSChunkRef inner;
    inner.SetNamedTagInt("x", 1);
    for (int i = 0; i < n; ++i) {
        ACSChunkRef parent;
        parent.SetNamedSoup("c", inner);
        inner = parent;
    }
    inner.SetNamedTagInt("after", 2);
    return inner;
}

// What a read soup holds of the chain: the containers on the path of "c", whether the
// innermost holds "x" = 1, and "after".
struct Shape {
    int containers = 0;
    bool bottom = false;
    int32_t after = 0;
    bool operator==(const Shape&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shape& shape) {
    return out << shape.containers << " containers, bottom " << shape.bottom << ", after "
               << shape.after;
}

Shape ShapeOf(const ACSChunkRef& soup) {
    Shape shape;
    ACSChunkRef at = soup.GetNamedSoup("c");
    for (ACSChunkRef next; at.Get(); at = next, ++shape.containers) {
        next = at.GetNamedSoup("c");
        if (!next.Get()) break;
    }
    if (at.Get()) ++shape.containers;
    shape.bottom = at.GetNamedTagAsInt("x", 0) == 1;
    shape.after = soup.GetNamedTagAsInt("after", 0);
    return shape;
}

class SoupNestingLimit : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/soup_nesting_limit_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        Kiv::Options options;
        options.ProcessRaw(("-LogFile=" + (folder_ / "log.txt").string()).c_str());
        ASSERT_TRUE(Kiv::Log::Init(options));
    }
    void TearDown() override {
        Kiv::Log::Shutdown();
        std::filesystem::remove_all(folder_);
    }

    // The log lines written so far.
    std::string Logged() const {
        std::ifstream in(folder_ / "log.txt");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path folder_;
};

constexpr const char* kSkippedWarning =
    "ACSText::Parse> Skipped tags nested more than 512 containers deep (1 container(s), the "
    "first at byte ";

TEST_F(SoupNestingLimit, BothFormsKeepTheSameLevelsAndNothingKeptIsLostInTheOther) {
    static_assert(kMaxSoupDepth == 512);
    struct Case {
        int containers;
        Shape text;   // what the text reader keeps
        bool binary;  // the binary reader keeps it all (else it refuses the body)
        bool written; // both writers write it all without an error
    } cases[] = {
        {511, {511, true, 2}, true, true},
        {512, {512, true, 2}, true, true},
        // "x" lies 513 containers down: the 513th container is kept, empty, and the text
        // reader reads on after the chain.
        {513, {513, false, 2}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.containers);
        const Shape whole{c.containers, true, 2};

        const size_t logged = Logged().size();
        const ACSChunkRef fromText = soup_text_test::Parse(NestedText(c.containers));
        EXPECT_EQ(ShapeOf(fromText), c.text);
        const bool warned = Logged().find(kSkippedWarning, logged) != std::string::npos;
        EXPECT_EQ(warned, !c.binary);

        const ReadResult fromBinary = Read(File(NestedBody(c.containers)));
        EXPECT_TRUE(fromBinary.read);
        EXPECT_EQ(fromBinary.soup.Get() != nullptr, c.binary);
        if (c.binary) {
            EXPECT_EQ(ShapeOf(fromBinary.soup), whole);
        }

        // Each form of what the other's reader kept holds all of it.
        const ReadResult textToBinary = Read(Written(fromText));
        EXPECT_EQ(ShapeOf(textToBinary.soup), c.text);
        if (c.binary) {
            EXPECT_EQ(soup_text_test::Write(fromBinary.soup), soup_text_test::Write(fromText));
            EXPECT_EQ(ShapeOf(soup_text_test::Parse(soup_text_test::Write(fromBinary.soup))),
                      whole);
        }

        // A soup made in memory: written whole, or refused with the stream's error.
        const ACSChunkRef made = NestedSoup(c.containers);
        MemoryStream binary;
        TDBBinaryFile::WriteSoup(binary.Stream(), made);
        EXPECT_EQ(binary.Stream().GetError() == 0, c.written);
        EXPECT_EQ(Contents(binary.Stream()).empty(), !c.written);
        if (c.written) {
            EXPECT_EQ(Contents(binary.Stream()), File(NestedBody(c.containers)));
        }

        MemoryStream text;
        ACSText::Write(made, text.Stream());
        EXPECT_EQ(text.Stream().GetError() == 0, c.written);
        const Bytes textBytes = Contents(text.Stream());
        const ACSChunkRef textBack =
            soup_text_test::Parse(std::string(textBytes.begin(), textBytes.end()));
        EXPECT_EQ(ShapeOf(textBack), c.text);
    }
}

// A too-deep body is skipped as parsing would read it: braces inside quoted values, values
// and deeper containers of its own do not end it early, and reading goes on after it.
TEST_F(SoupNestingLimit, TheTextReaderSkipsATooDeepBodyToItsClosingBrace) {
    std::string text;
    for (int i = 0; i < kMaxSoupDepth; ++i)
        text += "c {\r\n";
    text += "deep {\r\n"
            "  a \"} not the end {\"\r\n"
            "  b 1,2\r\n"
            "  inner\r\n  {\r\n    more {\r\n    }\r\n  }\r\n"
            "  empty\r\n"
            "}\r\n"
            "sibling 7\r\n";
    for (int i = 0; i < kMaxSoupDepth; ++i)
        text += "}\r\n";
    text += "after 2\r\n";

    const ACSChunkRef soup = soup_text_test::Parse(text);
    ACSChunkRef bottom = soup;
    for (int i = 0; i < kMaxSoupDepth; ++i)
        bottom = bottom.GetNamedSoup("c");
    ASSERT_NE(bottom.Get(), nullptr);
    EXPECT_EQ(soup_text_test::Describe(bottom), "deep{} sibling=i:7");
    EXPECT_EQ(soup.GetNamedTagAsInt("after", 0), 2);
    EXPECT_NE(Logged().find(kSkippedWarning), std::string::npos);

    // An empty body at that level loses nothing and logs nothing.
    const size_t logged = Logged().size();
    std::string quiet;
    for (int i = 0; i < kMaxSoupDepth + 1; ++i)
        quiet += "c {\r\n";
    for (int i = 0; i < kMaxSoupDepth + 1; ++i)
        quiet += "}\r\n";
    EXPECT_EQ(ShapeOf(soup_text_test::Parse(quiet)).containers, kMaxSoupDepth + 1);
    EXPECT_EQ(Logged().size(), logged);
}

// (The binary form's hostile nesting is among the format's own tests.)
TEST_F(SoupNestingLimit, HostileTextNestingEndsWithinTheLimit) {
    // Lines of "{" alone nest as containers named "{": far too deep for any stack.
    std::string hostile = "a\r\n";
    for (int i = 0; i < 200000; ++i)
        hostile += "{\r\n";
    ACSChunkRef soup = soup_text_test::Parse(hostile + "}");
    int containers = 0;
    for (soup = soup.GetNamedSoup("a"); soup.Get(); soup = soup.GetNamedSoup("{"))
        ++containers;
    EXPECT_EQ(containers, kMaxSoupDepth + 1);
}

} // namespace
