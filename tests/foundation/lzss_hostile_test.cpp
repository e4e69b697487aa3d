// The LZSS decoder against damaged and hostile streams: each fault the format allows
// (no header, class 3, level above 9, a match before the start of the output, items and
// bit streams cut short, the unused leaf, output past the caller's bound) gives false;
// every prefix of valid streams and thousands of seeded mutations end without a crash.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "foundation/lzss/lzss_compress.h"
#include "lzss_test_data.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool Decodes(const Bytes& stream, Bytes& output, size_t limit = Kiv::LZSSCompress::kMaxBlock) {
    return Kiv::LZSSCompress().Decompress(stream, output, limit);
}

TEST(LZSSHostile, DamagedStreamsAreRefused) {
    struct Case {
        const char* name;
        Bytes stream;
    };
    const Case cases[] = {
        {"no header", {}},
        {"class 3", {0x30, 'a'}},
        {"class 3 with a coded level", {0x35, 0x00, 0x00, 0x00, 0x00, 'a'}},
        {"level 10", {0x0A, 'a'}},
        {"level 15", {0x1F, 0x00, 0x00, 0x00, 0x00, 'a'}},
        // Class 0: a match (flag 1, length bits 000) at distance 1 before any output.
        {"class 0 match before the start", {0x01, 0x01, 0x00, 0x00, 0x00, 0x01}},
        // Class 1: a literal, then a match at distance 2 or 0.
        {"class 1 distance beyond the output", {0x11, 0x04, 0x00, 0x00, 0x00, 'a', 0x02, 0x00}},
        {"class 1 distance 0", {0x11, 0x04, 0x00, 0x00, 0x00, 'a', 0x00, 0x00}},
        {"flag word cut short", {0x11, 0x00, 0x00}},
        {"distance byte missing", {0x01, 0x01, 0x00, 0x00, 0x00}},
        {"match word cut short", {0x11, 0x04, 0x00, 0x00, 0x00, 'a', 0x01}},
        {"escape byte missing", {0x01, 0x0F, 0x00, 0x00, 0x00}},
        {"run cut short", {0x11, 0x02, 0x00, 0x00, 0x00, 0x03, 'a', 'b', 'c'}},
        // Huffman, class 1: 'A' and then no more bits.
        {"Huffman without end symbol", {0x17, 0xB8}},
        // Huffman: the 274th leaf (code 11101101), which the writer never codes.
        {"Huffman unused leaf", {0x17, 0xB7, 0x00}},
        // Huffman: length code 0 (11011100), distance symbol 0, low bits 1: distance 1.
        {"Huffman match before the start", {0x17, 0x3B, 0x40, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes output = {1, 2, 3};
        EXPECT_FALSE(Decodes(c.stream, output));
        EXPECT_TRUE(output.empty());
    }
}

TEST(LZSSHostile, ValidNeighboursOfRefusedStreamsDecode) {
    Bytes output;
    // Distance 1 after one literal: "a" then three copies of it.
    ASSERT_TRUE(Decodes({0x11, 0x04, 0x00, 0x00, 0x00, 'a', 0x01, 0x00}, output));
    EXPECT_EQ(output, lzss_test::Bytes("aaaa"));
    // Two class-0 literals under a zero flag word: the unused flags are never read.
    ASSERT_TRUE(Decodes({0x01, 0x00, 0x00, 0x00, 0x00, 'a', 'b'}, output));
    EXPECT_EQ(output, lzss_test::Bytes("ab"));
}

TEST(LZSSHostile, OutputIsBoundedByTheCallersLimit) {
    const Bytes input = lzss_test::Text(5000, 2);
    for (int level : {0, 3, 6, 9}) {
        SCOPED_TRACE(level);
        const Bytes stream = Kiv::LZSSCompress().Compress(input, level);
        Bytes output;
        EXPECT_FALSE(Decodes(stream, output, input.size() - 1));
        EXPECT_TRUE(output.empty());
        ASSERT_TRUE(Decodes(stream, output, input.size()));
        EXPECT_TRUE(output == input);
    }
}

// Valid streams of every form and class, kept small so the checks below stay fast.
std::vector<Bytes> SampleStreams() {
    const Kiv::LZSSCompress codec;
    const Bytes small = lzss_test::Text(200, 4);
    const Bytes medium = lzss_test::Text(1500, 5);
    const Bytes binary = lzss_test::Binary(1500, 6);
    const Bytes block = lzss_test::Text(2000, 7);
    Bytes large;
    while (large.size() < 17000) large.insert(large.end(), block.begin(), block.end());
    std::vector<Bytes> streams = {codec.Compress(small, 0), codec.Compress(small, 3)};
    for (int level : {2, 5, 8}) {
        streams.push_back(codec.Compress(medium, level));
        streams.push_back(codec.Compress(binary, level));
    }
    streams.push_back(codec.Compress(large, 4));
    streams.push_back(codec.Compress(large, 9));
    return streams;
}

TEST(LZSSHostile, EveryPrefixDecodesToAPrefixOrFails) {
    const Kiv::LZSSCompress codec;
    for (const Bytes& stream : SampleStreams()) {
        SCOPED_TRACE(testing::Message() << "header " << static_cast<int>(stream[0]));
        Bytes full;
        ASSERT_TRUE(codec.Decompress(stream, full));
        Bytes output;
        for (size_t length = 0; length < stream.size(); ++length) {
            const Bytes prefix(stream.begin(), stream.begin() + length);
            if (!codec.Decompress(prefix, output)) continue;
            ASSERT_LE(output.size(), full.size()) << length;
            ASSERT_TRUE(std::equal(output.begin(), output.end(), full.begin())) << length;
        }
    }
}

TEST(LZSSHostile, SeededMutationsNeverCrash) {
    const Kiv::LZSSCompress codec;
    std::mt19937 random(20240607);
    int decoded = 0;
    int refused = 0;
    for (const Bytes& stream : SampleStreams()) {
        for (int round = 0; round < 400; ++round) {
            Bytes mutated = stream;
            const int edits = 1 + static_cast<int>(random() % 4);
            for (int e = 0; e < edits && !mutated.empty(); ++e) {
                const size_t at = random() % mutated.size();
                switch (random() % 4) {
                case 0: mutated[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
                case 1: mutated[at] = static_cast<uint8_t>(random()); break;
                case 2: mutated.erase(mutated.begin() + static_cast<ptrdiff_t>(at)); break;
                default: mutated.resize(at); break;
                }
            }
            Bytes output;
            (codec.Decompress(mutated, output, 1 << 20) ? decoded : refused)++;
        }
    }
    // Both outcomes occur: the decoder neither accepts nor refuses everything.
    EXPECT_GT(decoded, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
