// The string forms of TStream: the bytes written for interned and owned strings, the limits
// that turn a text into length 0, and reading either form back, including hostile lengths
// and bodies cut short.
#include <gtest/gtest.h>

#include <string>

#include "foundation/streams/t_stream.h"
#include "stream_test_support.h"

namespace {

TEST(StreamStrings, InternedStringForms) {
    struct Case {
        const char* text; // null: the null string
        Bytes bytes;
    };
    const Case cases[] = {
        {nullptr, Hex("00 00 00 00")},
        {"a", Hex("02 00 00 00 61 00")},
        {"AssetID", Join({Hex("08 00 00 00"), Ascii("AssetID", true)})},
    };
    for (const Case& c : cases) {
        MemoryStream memory;
        memory.Stream().WritePString(Kiv::PString(c.text));
        EXPECT_EQ(Contents(memory.Stream()), c.bytes) << (c.text ? c.text : "(null)");
    }
}

TEST(StreamStrings, OwnedStringForms) {
    MemoryStream memory;
    memory.Stream().WriteString(Kiv::String("abc"));
    memory.Stream().WriteString(Kiv::String(""));
    EXPECT_EQ(Contents(memory.Stream()), Hex("03 00 00 00 61 62 63  00 00 00 00"));
}

TEST(StreamStrings, TextsTooLongForTheFormAreWrittenAsLengthZero) {
    struct Case {
        size_t length;
        bool interned;
        Bytes head; // the length word
        size_t total;
    };
    const Case cases[] = {
        {65534, true, Hex("FF FF 00 00"), 4 + 65535},
        {65535, true, Hex("00 00 00 00"), 4},
        {65535, false, Hex("FF FF 00 00"), 4 + 65535},
        {65536, false, Hex("00 00 00 00"), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string text(c.length, 'x');
        MemoryStream memory;
        if (c.interned)
            memory.Stream().WritePString(Kiv::PString(text.c_str()));
        else
            memory.Stream().WriteString(Kiv::String(text));
        Bytes written = Contents(memory.Stream());
        ASSERT_EQ(written.size(), c.total);
        EXPECT_EQ(Bytes(written.begin(), written.begin() + 4), c.head);
        EXPECT_EQ(memory.Stream().GetError(), 0);
    }
}

TEST(StreamStrings, ReadingTakesEitherFormAndRefusesBadLengths) {
    struct Case {
        const char* name;
        Bytes input;
        std::string text;
        bool whole;
        int32_t error;
        int64_t position; // after the read
    };
    const Case cases[] = {
        {"interned form", Hex("02 00 00 00 61 00"), "a", true, 0, 6},
        {"owned form", Hex("03 00 00 00 61 62 63"), "abc", true, 0, 7},
        {"up to the first NUL", Hex("05 00 00 00 61 00 62 63 64"), "a", true, 0, 9},
        {"length 0", Hex("00 00 00 00 61"), "", true, 0, 4},
        {"no length", Hex(""), "", false, TStream::kErrorShortRead, 0},
        {"half a length", Hex("02 00"), "", false, TStream::kErrorShortRead, 2},
        {"body cut short", Hex("05 00 00 00 61 62"), "ab", false, TStream::kErrorShortRead, 6},
        {"negative length", Hex("FF FF FF FF 61 62"), "", false, TStream::kErrorMemory, 4},
        {"most negative", Hex("00 00 00 80 61"), "", false, TStream::kErrorMemory, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream forInterned(c.input);
        Kiv::PString interned("stale");
        EXPECT_EQ(forInterned.Stream().ReadPString(interned), c.whole);
        EXPECT_EQ(std::string(interned.View()), c.text);
        EXPECT_EQ(forInterned.Stream().GetError(), c.error);
        EXPECT_EQ(forInterned.Stream().Tell(), c.position);

        MemoryStream forOwned(c.input);
        Kiv::String owned("stale");
        EXPECT_EQ(forOwned.Stream().ReadString(owned), c.whole);
        EXPECT_EQ(owned.Std(), c.text);
        EXPECT_EQ(forOwned.Stream().GetError(), c.error);
    }
}

TEST(StreamStrings, ATooLongBodyIsSkipped) {
    Bytes input = Join({Hex("00 00 01 00"), Bytes(65536, 'q'), Hex("01 00 00 00 7A")});
    MemoryStream memory(input);
    TBuffer& s = memory.Stream();
    Kiv::String text("stale");
    EXPECT_FALSE(s.ReadString(text));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(s.GetError(), TStream::kErrorMemory);
    EXPECT_EQ(s.Tell(), 4 + 65536);
    EXPECT_TRUE(s.ReadString(text));
    EXPECT_EQ(text, "z");
    EXPECT_EQ(s.GetError(), TStream::kErrorMemory);
}

TEST(StreamStrings, LongBodiesReadWhole) {
    for (size_t length : {size_t{510}, size_t{511}, size_t{4079}, size_t{4080}, size_t{65535}}) {
        std::string text(length, 'k');
        text[length / 2] = 'm';
        MemoryStream memory;
        memory.Stream().WriteString(Kiv::String(text));
        memory.Stream().Rewind();
        Kiv::String back;
        EXPECT_TRUE(memory.Stream().ReadString(back)) << length;
        EXPECT_EQ(back.Std(), text);
    }
}

} // namespace
