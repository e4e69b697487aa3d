// Kiv::LZSSCompress through IOSlaveMemory: a round trip between cursors, a damaged or
// missing stream, and an output that refuses bytes, each reported as false.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/io_slave.h"
#include "foundation/lzss/lzss_compress.h"
#include "lzss_test_data.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(LZSSIOSlave, RoundTripBetweenCursors) {
    const Bytes text = lzss_test::Text(3000, 8);
    const Kiv::LZSSCompress codec;
    Bytes stream(text.size() + 1);
    Kiv::IOSlaveMemory plain(text.data(), text.size());
    Kiv::IOSlaveMemory packed(stream.data(), stream.size(), 0);
    ASSERT_TRUE(codec.Compress(packed, plain, text.size(), 9));
    stream.resize(packed.GetWriteCursor());
    EXPECT_EQ(stream[0], 0x19);

    // The stream sits after 4 other bytes, as in an archive's file entry.
    Bytes entry = {1, 2, 3, 4};
    entry.insert(entry.end(), stream.begin(), stream.end());
    Kiv::IOSlaveMemory source(entry.data(), entry.size());
    source.SetReadCursor(4);
    Bytes result(text.size());
    Kiv::IOSlaveMemory sink(result.data(), result.size(), 0);
    ASSERT_TRUE(codec.Decompress(sink, source, entry.size() - 4));
    EXPECT_EQ(sink.GetWriteCursor(), text.size());
    EXPECT_TRUE(result == text);
}

TEST(LZSSIOSlave, FailuresAreReported) {
    const Bytes text = lzss_test::Text(3000, 9);
    const Kiv::LZSSCompress codec;
    const Bytes stream = codec.Compress(text, 5);
    struct Case {
        const char* name;
        Bytes input;
        size_t size;
        size_t outputRoom;
    };
    const Case cases[] = {
        {"output one byte short", stream, stream.size(), text.size() - 1},
        {"input shorter than its size", stream, stream.size() + 1, text.size()},
        {"no stream", {}, 0, text.size()},
        {"class 3", {0x30, 'a'}, 2, text.size()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes result(c.outputRoom);
        Kiv::IOSlaveMemory source(c.input.data(), c.input.size());
        Kiv::IOSlaveMemory sink(result.data(), result.size(), 0);
        EXPECT_FALSE(codec.Decompress(sink, source, c.size));
    }
}

}  // namespace
