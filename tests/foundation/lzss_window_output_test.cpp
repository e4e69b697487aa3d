// Decoding into a byte slave through the window-sized buffer: the bytes are those of the
// in-memory decoder for every level and for hostile streams, the slave never receives more
// than a chunk and a window at once however far a stream expands, the caller's bound holds,
// and a slave that refuses bytes fails the decoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "engine/io_slave.h"
#include "foundation/lzss/lzss_compress.h"
#include "foundation/lzss/lzss_window_output.h"
#include "lzss_test_data.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The most the decoder may hand over in one write: one chunk and the largest window.
constexpr size_t kLargestWrite = Kiv::kLZSSOutputChunk + 16384;

// A slave that takes bytes (keeping them when asked), notes the largest single write, and
// refuses everything past `room` bytes.
class CountingSink : public Kiv::IOSlave {
  public:
    explicit CountingSink(bool keep = true, size_t room = std::numeric_limits<size_t>::max())
        : keep_(keep), room_(room) {}

    size_t Read(void*, size_t) override { return 0; }
    size_t Write(const void* source, size_t bytes) override {
        if (bytes > room_ - total) return 0;
        largest = std::max(largest, bytes);
        total += bytes;
        writeCursor_ += bytes;
        const auto* in = static_cast<const uint8_t*>(source);
        if (keep_) kept.insert(kept.end(), in, in + bytes);
        return bytes;
    }
    uint64_t GetSize() override { return total; }

    Bytes kept;
    size_t total = 0;
    size_t largest = 0;

  private:
    bool keep_;
    size_t room_;
};

// A class-2 flag-word stream (header 0x24): the byte 'z', then `matches` matches of 258
// bytes at distance 1 (word 0xC001: distance 1 with an all-ones length field, then the
// byte 255): about 3 stream bytes for 258 output bytes.
Bytes ExpandingStream(size_t matches) {
    Bytes stream = {0x24};
    size_t item = 0;
    const auto flagWord = [&](uint32_t word) {
        for (int i = 0; i < 4; ++i) stream.push_back(static_cast<uint8_t>(word >> (8 * i)));
    };
    flagWord(0xFFFFFFFC); // literal (0 0), then 30 matches
    stream.push_back('z');
    for (size_t m = 0; m < matches; ++m, ++item) {
        if (item == 30 || (item > 30 && (item - 30) % 32 == 0)) flagWord(0xFFFFFFFF);
        stream.insert(stream.end(), {0x01, 0xC0, 0xFF});
    }
    return stream;
}

TEST(LZSSWindowOutput, GivesTheBytesOfTheInMemoryDecoder) {
    const Kiv::LZSSCompress codec;
    const Bytes inputs[] = {lzss_test::Text(300000, 11), lzss_test::Binary(200000, 12),
                            lzss_test::Skewed(100000, 13), lzss_test::Random(70000, 14)};
    for (const Bytes& input : inputs) {
        for (int level = 0; level <= 9; ++level) {
            SCOPED_TRACE(testing::Message() << input.size() << " bytes, level " << level);
            const Bytes stream = codec.Compress(input, level);
            // Through the slave form, as extraction calls it.
            Kiv::IOSlaveMemory source(stream.data(), stream.size());
            CountingSink sink;
            ASSERT_TRUE(codec.Decompress(sink, source, stream.size()));
            EXPECT_TRUE(sink.kept == input);
            EXPECT_LE(sink.largest, kLargestWrite);
        }
    }
}

TEST(LZSSWindowOutput, MemoryStaysWithinTheWindowWhateverTheStreamExpandsTo) {
    const Kiv::LZSSCompress codec;
    Bytes sample;
    ASSERT_TRUE(codec.Decompress(ExpandingStream(40), sample));
    EXPECT_EQ(sample, Bytes(1 + 40 * 258, 'z'));

    // About 800 KB of stream for 64 MB of output.
    const size_t matches = (64u << 20) / 258;
    const Bytes stream = ExpandingStream(matches);
    CountingSink sink(false);
    ASSERT_TRUE(codec.Decompress(stream, sink));
    EXPECT_EQ(sink.total, 1 + matches * 258);
    EXPECT_LE(sink.largest, kLargestWrite);

    // The caller's bound ends the decoding before the slave gets more.
    CountingSink bounded(false);
    EXPECT_FALSE(codec.Decompress(stream, bounded, 1u << 20));
    EXPECT_LE(bounded.total, 1u << 20);
    CountingSink exact(false);
    EXPECT_TRUE(codec.Decompress(ExpandingStream(1000), exact, 1 + 1000 * 258));
    CountingSink over(false);
    EXPECT_FALSE(codec.Decompress(ExpandingStream(1000), over, 1000 * 258));
}

TEST(LZSSWindowOutput, ASlaveThatRefusesBytesFailsTheDecoding) {
    const Kiv::LZSSCompress codec;
    const Bytes input = lzss_test::Text(200000, 15);
    for (int level : {0, 1, 5, 9}) {
        SCOPED_TRACE(level);
        const Bytes stream = codec.Compress(input, level);
        for (size_t room : {size_t{0}, size_t{5000}, input.size() - 1}) {
            CountingSink sink(false, room);
            EXPECT_FALSE(codec.Decompress(stream, sink));
        }
    }
}

TEST(LZSSWindowOutput, HostileStreamsDecodeAsInMemory) {
    const Kiv::LZSSCompress codec;
    const Bytes text = lzss_test::Text(120000, 16);
    const Bytes streams[] = {codec.Compress(text, 2), codec.Compress(text, 5),
                             codec.Compress(text, 9), ExpandingStream(400)};
    std::mt19937 random(20261210);
    int decoded = 0;
    for (const Bytes& stream : streams) {
        for (int round = 0; round < 150; ++round) {
            Bytes mutated = stream;
            for (int e = 0; e < 3; ++e) {
                const size_t at = random() % mutated.size();
                if (random() % 2) {
                    mutated[at] ^= static_cast<uint8_t>(1u << (random() % 8));
                } else {
                    mutated[at] = static_cast<uint8_t>(random());
                }
            }
            Bytes block;
            const bool inMemory = codec.Decompress(mutated, block, 1 << 20);
            CountingSink sink;
            ASSERT_EQ(codec.Decompress(mutated, sink, 1 << 20), inMemory) << round;
            if (inMemory) {
                ASSERT_TRUE(sink.kept == block) << round;
                ++decoded;
            }
        }
    }
    EXPECT_GT(decoded, 0);
}

} // namespace
