// LZSS round trips: every level over text, binary and skewed inputs of sizes around the
// format's edges (stored limit, class-0 limit, windows, spans that slide), never longer
// than the stored form; runs of literals; and a skewed level-9 input long enough to make
// the literal tree rebuild.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/lzss/adaptive_huffman_tree.h"
#include "foundation/lzss/lzss_compress.h"
#include "foundation/lzss/lzss_match_finder.h"
#include "foundation/lzss/lzss_tables.h"
#include "lzss_test_data.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Kind {
    const char* name;
    std::function<Bytes(size_t, uint32_t)> make;
};

TEST(LZSSRoundTrip, EveryLevelSizeAndKind) {
    const Kind kinds[] = {{"text", lzss_test::Text},
                          {"binary", lzss_test::Binary},
                          {"skewed", lzss_test::Skewed}};
    const size_t sizes[] = {0, 1, 6, 7, 255, 256, 4096, 16385, 40000, 1 << 20};
    const Kiv::LZSSCompress codec;
    for (const Kind& kind : kinds) {
        for (size_t size : sizes) {
            const Bytes input = kind.make(size, static_cast<uint32_t>(size));
            for (int level = 0; level <= 9; ++level) {
                SCOPED_TRACE(testing::Message()
                             << kind.name << ", " << size << " bytes, level " << level);
                const Bytes stream = codec.Compress(input, level);
                ASSERT_LE(stream.size(), size + 1);
                Bytes output;
                ASSERT_TRUE(codec.Decompress(stream, output));
                ASSERT_TRUE(output == input);
            }
        }
    }
}

TEST(LZSSRoundTrip, LiteralStretchesOfEveryLengthDecodeBack) {
    // Stretches of random bytes around the run limits (6 and 258 literals) between
    // repeats of a marker.
    Bytes input;
    for (size_t stretch : {1, 2, 5, 6, 7, 257, 258, 259, 600}) {
        const Bytes bytes = lzss_test::Random(stretch, static_cast<uint32_t>(stretch));
        input.insert(input.end(), bytes.begin(), bytes.end());
        input.insert(input.end(), 12, '#');
    }
    const Kiv::LZSSCompress codec;
    for (int level = 1; level <= 9; ++level) {
        SCOPED_TRACE(level);
        const Bytes stream = codec.Compress(input, level);
        Bytes output;
        ASSERT_TRUE(codec.Decompress(stream, output));
        EXPECT_TRUE(output == input);
    }
}

TEST(LZSSRoundTrip, LiteralStretchReachingTheEndStaysWithinOneRun) {
    // 258 literals are handed over also when only 1 or 2 bytes are left, so a stretch
    // that runs into the end never needs a run count above 255 (258 literals).
    for (size_t tail : {258, 259, 260, 261}) {
        Bytes input(1000, 0);
        const Bytes random = lzss_test::Random(tail, static_cast<uint32_t>(tail));
        input.insert(input.end(), random.begin(), random.end());
        for (int level : {4, 5, 6, 9}) {
            SCOPED_TRACE(testing::Message() << tail << " literals at the end, level " << level);
            const Kiv::LZSSCompress codec;
            const Bytes stream = codec.Compress(input, level);
            ASSERT_LT(stream.size(), input.size() + 1);
            Bytes output;
            ASSERT_TRUE(codec.Decompress(stream, output));
            EXPECT_TRUE(output == input);
        }
    }
}

// Counts the symbols the finder's items put into the literal/length tree.
class SymbolCounter final : public Kiv::LZSSItemSink {
public:
    void Literals(const uint8_t*, size_t count) override { symbols += count; }
    void Match(int, int) override { ++symbols; }
    bool Failed() const override { return false; }
    size_t symbols = 0;
};

TEST(LZSSRoundTrip, SkewedLevel9PassesATreeRebuild) {
    // The skewed megabyte of the round trips above.
    const Bytes input = lzss_test::Skewed(1 << 20, 1 << 20);
    const Kiv::LZSSLevel& level9 = Kiv::LZSSLevelTable[9];
    SymbolCounter counter;
    Kiv::FindLZSSMatches(input, Kiv::kLZSSWindowClasses[level9.windowClass].distanceBits,
                         level9.niceLength, counter);
    // The root starts at 274 and grows by one per symbol: past 0x7FFF it rebuilds.
    const size_t leaves = AdaptiveHuffmanTree(Kiv::kLZSSLiteralSymbols).LeafCount();
    ASSERT_GT(counter.symbols + leaves, size_t{AdaptiveHuffmanTree::kRebuildAbove} + 1);

    const Kiv::LZSSCompress codec;
    const Bytes stream = codec.Compress(input, 9);
    ASSERT_EQ(stream[0], 0x29);
    ASSERT_LT(stream.size(), input.size() / 2);
    Bytes output;
    ASSERT_TRUE(codec.Decompress(stream, output));
    EXPECT_TRUE(output == input);
}

}  // namespace
