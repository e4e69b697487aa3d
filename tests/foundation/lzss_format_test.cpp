// LZSS stream format: header bytes chosen by level and size, and whole streams written
// out by hand from the format's rules (flag words, items, escapes, the flag-word boundary
// and the Huffman form's first codes), checked both ways: our encoder must produce them
// and our decoder must read them back.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "foundation/lzss/lzss_compress.h"
#include "lzss_test_data.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Repeat(uint8_t byte, size_t count) { return Bytes(count, byte); }

// Bytes first, first + 1, ... (count of them), then the first `again` of them once more.
Bytes SequenceThenRepeat(uint8_t first, size_t count, size_t again) {
    Bytes bytes;
    for (size_t i = 0; i < count; ++i) bytes.push_back(static_cast<uint8_t>(first + i));
    for (size_t i = 0; i < again; ++i) bytes.push_back(static_cast<uint8_t>(first + i));
    return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Decoded(const Bytes& stream) {
    Bytes output;
    EXPECT_TRUE(Kiv::LZSSCompress().Decompress(stream, output));
    return output;
}

TEST(LZSSFormat, ShortInputsAreStored) {
    const Bytes input = lzss_test::Bytes("abcdef");
    const Bytes stream = Kiv::LZSSCompress().Compress(input, 9);
    EXPECT_EQ(stream, Bytes({0x00, 'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_EQ(Decoded(stream), input);
    // Level 0 stores any input; levels out of range count as 0 and 9.
    const Bytes text = lzss_test::Text(1000, 1);
    EXPECT_EQ(Kiv::LZSSCompress().Compress(text, 0), Concat({{0x00}, text}));
    EXPECT_EQ(Kiv::LZSSCompress().Compress(text, -3), Concat({{0x00}, text}));
    EXPECT_EQ(Kiv::LZSSCompress().Compress(text, 40)[0], 0x19);
}

TEST(LZSSFormat, HeaderNamesTheClassChosenBySize) {
    struct Case {
        size_t size;
        int level;
        uint8_t header;
    };
    const Case cases[] = {
        {100, 9, 0x06},     // under 256 bytes: class 0, and levels 7-9 become level 6
        {255, 7, 0x06},
        {256, 7, 0x17},     // class 2's window covers 256 bytes: one class below
        {3000, 5, 0x15},
        {3000, 2, 0x02},    // class 1's window covers 3000 bytes: class 0
        {4096, 1, 0x01},
        {4097, 1, 0x11},
        {16384, 6, 0x16},
        {16385, 6, 0x26},
        {16385, 9, 0x29},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " bytes at level " << c.level);
        const Bytes input = lzss_test::Text(c.size, 7);
        const Bytes stream = Kiv::LZSSCompress().Compress(input, c.level);
        ASSERT_FALSE(stream.empty());
        EXPECT_EQ(stream[0], c.header);
        EXPECT_EQ(Decoded(stream), input);
    }
}

TEST(LZSSFormat, NewObjectCompressesAtLevel5) {
    Kiv::LZSSCompress codec;
    EXPECT_EQ(codec.Level(), 5);
    EXPECT_EQ(codec.Compress(lzss_test::Text(3000, 3))[0], 0x15);
}

TEST(LZSSFormat, IncompressibleInputGrowsByTheHeaderOnly) {
    const Bytes input = lzss_test::Random(1000, 11);
    for (int level = 1; level <= 9; ++level) {
        SCOPED_TRACE(level);
        const Bytes stream = Kiv::LZSSCompress().Compress(input, level);
        ASSERT_EQ(stream.size(), input.size() + 1);
        EXPECT_EQ(stream, Concat({{0x00}, input}));
    }
}

// A stream written by hand and the input it holds. Each is produced by our encoder at
// the given level and read back by our decoder.
struct Golden {
    const char* name;
    Bytes input;
    int level;
    Bytes stream;
};

std::vector<Golden> EncoderGoldens() {
    return {
        // 300 equal bytes: one literal (flags 0 0), then matches of 258 and 41 at distance
        // 1 (flag 1 each): length - 3 does not fit 4 bits, so the field is 15 and a byte
        // 255 or 38 follows. Flag word 0b1100.
        {"equal bytes, flag words", Repeat('A', 300), 4,
         {0x14, 0x0C, 0x00, 0x00, 0x00, 'A', 0x01, 0xF0, 0xFF, 0x01, 0xF0, 0x26}},
        // Class 0, length 10: length - 3 = 7 is the all-ones value of the 3 bits, so it
        // goes out as the escape byte 7, then distance 10. Ten literal flags, then 1 111.
        {"class 0 escape at 7", SequenceThenRepeat('a', 10, 10), 1,
         Concat({{0x01, 0x00, 0x3C, 0x00, 0x00}, SequenceThenRepeat('a', 10, 0), {0x07, 0x0A}})},
        // Class 1: 256 literals are one run (flags 0 1, byte 253), then a match of 18 at
        // distance 256: length - 3 = 15 is the field's all-ones value, so the escape byte
        // 15 follows; with 17 the field holds 14.
        {"class 1 escape at 15", SequenceThenRepeat(0, 256, 18), 4,
         Concat({{0x14, 0x06, 0x00, 0x00, 0x00, 0xFD}, SequenceThenRepeat(0, 256, 0),
                 {0x00, 0xF1, 0x0F}})},
        {"class 1 without escape at 14", SequenceThenRepeat(0, 256, 17), 4,
         Concat({{0x14, 0x06, 0x00, 0x00, 0x00, 0xFD}, SequenceThenRepeat(0, 256, 0),
                 {0x00, 0xE1}})},
        // After the match, 5 literals are five items (flags 0 0 each); 6 make a run
        // (flags 0 1, byte 3, the bytes).
        {"class 1 five literals", Concat({SequenceThenRepeat(0, 256, 18), {200, 100, 50, 25, 12}}),
         4,
         Concat({{0x14, 0x06, 0x00, 0x00, 0x00, 0xFD}, SequenceThenRepeat(0, 256, 0),
                 {0x00, 0xF1, 0x0F, 200, 100, 50, 25, 12}})},
        {"class 1 run of six literals",
         Concat({SequenceThenRepeat(0, 256, 18), {200, 100, 50, 25, 12, 6}}), 4,
         Concat({{0x14, 0x16, 0x00, 0x00, 0x00, 0xFD}, SequenceThenRepeat(0, 256, 0),
                 {0x00, 0xF1, 0x0F, 0x03, 200, 100, 50, 25, 12, 6}})},
        // 32 literals fill the first flag word exactly; the last literal's byte comes
        // before the second word, which holds the match's flags 1 111.
        {"item ends on bit 32", SequenceThenRepeat('A', 32, 32), 1,
         Concat({{0x01, 0x00, 0x00, 0x00, 0x00}, SequenceThenRepeat('A', 32, 0),
                 {0x0F, 0x00, 0x00, 0x00, 29, 32}})},
        // 31 literals, then the match flag as bit 31; its three length flags open the next
        // word, and its bytes (escape 28, distance 31) follow that word.
        {"item straddles two flag words", SequenceThenRepeat('A', 31, 31), 1,
         Concat({{0x01, 0x00, 0x00, 0x00, 0x80}, SequenceThenRepeat('A', 31, 0),
                 {0x07, 0x00, 0x00, 0x00, 28, 31}})},
        // Huffman form, class 1. Codes from the set-up tree and its updates: 'A'
        // 00011101; length code 15 (symbol 271) 11101011, extra 126 in 7 bits; distance
        // symbol 0 000000, low bits 1; length code 11 (symbol 267) 11100111, extra 5 in 4
        // bits; distance symbol 0 again, now 111111; end symbol 11100111; zero bits to 80.
        {"equal bytes, Huffman", Repeat('A', 300), 7,
         {0x17, 0xB8, 0xD7, 0x7E, 0x20, 0x38, 0xAF, 0x3F, 0x38, 0x07, 0x00}},
    };
}

TEST(LZSSFormat, EncoderWritesHandMadeStreams) {
    for (const Golden& golden : EncoderGoldens()) {
        SCOPED_TRACE(golden.name);
        EXPECT_EQ(Kiv::LZSSCompress().Compress(golden.input, golden.level), golden.stream);
        EXPECT_EQ(Decoded(golden.stream), golden.input);
    }
}

TEST(LZSSFormat, DecoderReadsHandMadeStreams) {
    struct Case {
        const char* name;
        Bytes stream;
        Bytes output;
    };
    const Case cases[] = {
        {"stored", {0x00, 1, 2, 3}, {1, 2, 3}},
        // Class 2: four literals, a match of 6 at distance 4 (length - 3 = 3 fills the
        // 2-bit field: escape byte 3), a match of 5 at distance 4 (field 2).
        {"class 2 matches",
         {0x24, 0x00, 0x03, 0x00, 0x00, 'a', 'b', 'c', 'd', 0x04, 0xC0, 0x03, 0x04, 0x80},
         lzss_test::Bytes("abcdabcdabcdabc")},
        // Class 1: 15 literals, a match of 3 at distance 15 (bit 30), a literal whose
        // flags 0 0 are bit 31 and bit 0 of the next word, then a run of 6 (flags 0 1).
        {"class 1 literal straddles two flag words",
         Concat({{0x11, 0x00, 0x00, 0x00, 0x40}, lzss_test::Bytes("abcdefghijklmno"),
                 {0x0F, 0x00, 0x04, 0x00, 0x00, 0x00, 'X', 0x03},
                 lzss_test::Bytes("012345")}),
         lzss_test::Bytes("abcdefghijklmnoabcX012345")},
        // Huffman, class 1: 'A' (00011101) then the end symbol (11101100 after the update).
        {"Huffman literal and end", {0x17, 0xB8, 0x37}, {'A'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decoded(c.stream), c.output);
    }
}

TEST(LZSSFormat, StreamsWithoutDataDecodeToNothing) {
    // A stored stream without data bytes is an empty file, not a damaged one; the same for
    // a flag-word stream without items and a Huffman stream of just the end symbol.
    const Bytes streams[] = {{0x00}, {0x01}, {0x15}, {0x26}, {0x17, 0x37, 0x00}};
    for (const Bytes& stream : streams) {
        SCOPED_TRACE(static_cast<int>(stream[0]));
        Bytes output = {9, 9};
        EXPECT_TRUE(Kiv::LZSSCompress().Decompress(stream, output));
        EXPECT_TRUE(output.empty());
    }
    EXPECT_EQ(Kiv::LZSSCompress().Compress(Bytes{}, 9), Bytes({0x00}));
}

}  // namespace
