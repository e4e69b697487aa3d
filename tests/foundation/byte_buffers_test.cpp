// Granular byte buffers: capacities rounded to 4096 and 128 bytes, contents kept on growth.
#include "foundation/containers/byte_buffers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ByteBuffers, CapacityIsRoundedUpToTheGranularity) {
    struct Case {
        size_t length;
        size_t byteCapacity;
        size_t charCapacity;
    };
    const Case cases[] = {
        {0, 0, 0}, {1, 4096, 128}, {128, 4096, 128}, {129, 4096, 256}, {4097, 8192, 4224},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        ByteBuffer bytes;
        CharBuffer chars;
        bytes.SetLength(c.length);
        chars.SetLength(c.length);
        EXPECT_EQ(bytes.Capacity(), c.byteCapacity);
        EXPECT_EQ(chars.Capacity(), c.charCapacity);
        EXPECT_EQ(bytes.Length(), c.length);
    }
}

TEST(ByteBuffers, CharBufferBuildsTextOneCharacterAtATime) {
    CharBuffer text;
    text.AppendChar('a');
    EXPECT_EQ(text.Capacity(), 128u);
    std::string expected = "a";
    for (int i = 0; i < 200; ++i) {
        char c = static_cast<char>('a' + i % 26);
        text.AppendChar(c);
        expected += c;
    }
    EXPECT_EQ(text.Capacity(), 256u);
    EXPECT_EQ(text.View(), expected);
}

TEST(ByteBuffers, GrowingKeepsContentsAndNewBytesAreZero) {
    ByteBuffer buffer;
    buffer.Append("abc", 3);
    buffer.SetLength(1);
    buffer.SetLength(5000);
    EXPECT_EQ(buffer.Capacity(), 8192u);
    EXPECT_EQ(buffer.Data()[0], 'a');
    EXPECT_EQ(buffer.Data()[1], 0) << "bytes beyond a shortened length come back zero";
    EXPECT_EQ(buffer.Data()[4999], 0);
    buffer.Append("xyz", 3);
    EXPECT_EQ(std::memcmp(buffer.Data() + 5000, "xyz", 3), 0);
    EXPECT_EQ(buffer.Length(), 5003u);
}

} // namespace
