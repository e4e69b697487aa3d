// Utils::AlignedByteBuffer: little-endian words at the cursor, growth at a length equal to
// the capacity (reserved bytes zeroed), and the sticky flags: 1 for storage that could not be had (later appends
// write nothing), 2 for reads and seeks past the end (the cursor stays).
#include "foundation/utils/aligned_byte_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Buffer = Utils::AlignedByteBuffer;

std::vector<uint8_t> Bytes(const Buffer& buffer) {
    return std::vector<uint8_t>(buffer.Data(), buffer.Data() + buffer.Length());
}

TEST(AlignedByteBuffer, WordsAreLittleEndianAtTheCursorAndTheStorageIsAligned) {
    Buffer buffer;
    ASSERT_TRUE(buffer.Init(8));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.Data()) % 4, 0u);
    buffer.AppendUInt32(0xF762575D);
    buffer.AppendBytes("ab", 3);
    buffer.AppendUInt32(0xFFFFFFFF);
    EXPECT_EQ(Bytes(buffer), (std::vector<uint8_t>{0x5D, 0x57, 0x62, 0xF7, 'a', 'b', 0,
                                                   0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(buffer.Cursor(), 11u);
    // A size word patched afterwards, as the library writer frames its chunks.
    buffer.Seek(0);
    buffer.AppendUInt32(11);
    buffer.Seek(buffer.Length());
    EXPECT_EQ(Bytes(buffer)[0], 11);
    EXPECT_EQ(buffer.Length(), 11u);
    EXPECT_EQ(buffer.Flags(), 0u);
}

TEST(AlignedByteBuffer, ReserveGrowsWhenTheLengthReachesTheCapacity) {
    struct Case {
        uint32_t reserve, capacity, length;
    };
    // Increment 16, capacity 16.
    const Case cases[] = {{15, 16, 15}, {16, 32, 16}, {40, 56, 40}, {0, 16, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reserve);
        Buffer buffer;
        ASSERT_TRUE(buffer.Init(16));
        buffer.AppendUInt32(0x04030201);
        buffer.Reserve(c.reserve);
        EXPECT_EQ(buffer.Capacity(), c.capacity);
        EXPECT_EQ(buffer.Length(), std::max(c.length, 4u)) << "the length never shrinks";
        EXPECT_EQ(buffer.Data()[0], 1) << "the data moved with the storage";
        for (uint32_t i = 4; i < buffer.Length(); ++i)
            ASSERT_EQ(buffer.Data()[i], 0) << "reserved bytes read as zero";
        EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.Data()) % 4, 0u);
    }
}

TEST(AlignedByteBuffer, ReadsNeedTheBytesLeftAndSetFlag2Otherwise) {
    struct Case {
        uint32_t length;
        bool ok;
    };
    const Case cases[] = {{8, true}, {7, false}, {4, false}, {9, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        Buffer buffer;
        ASSERT_TRUE(buffer.Init(16));
        buffer.AppendBytes("\x01\x02\x03\x04\x05\x06\x07\x08\x09", c.length);
        buffer.Seek(4);  // 4 left when the length is 8, 3 when it is 7
        uint32_t value = 0xDEADBEEF;
        buffer.ReadUInt32(value);
        EXPECT_EQ(value, c.ok ? 0x08070605u : 0xDEADBEEFu);
        EXPECT_EQ(buffer.Flags(), c.ok ? 0u : Buffer::kReadPastEnd);
        EXPECT_EQ(buffer.Cursor(), c.ok ? 8u : 4u);
    }
}

TEST(AlignedByteBuffer, Flag2IsStickyAndCoversBytesAndSeeks) {
    Buffer buffer;
    ASSERT_TRUE(buffer.Init(16));
    buffer.AppendBytes("hello", 6);
    buffer.Seek(0);
    char text[6] = {};
    buffer.ReadBytes(text, 6);
    EXPECT_STREQ(text, "hello");
    buffer.ReadBytes(text, 1);
    EXPECT_EQ(buffer.Flags(), Buffer::kReadPastEnd);
    buffer.Seek(2);
    buffer.Seek(7);
    EXPECT_EQ(buffer.Cursor(), 2u) << "a seek past the length does not move";
    buffer.Seek(uint64_t{2} + 12ull * 0x40000000);  // a count from a file, wide enough not to wrap
    EXPECT_EQ(buffer.Cursor(), 2u);
    uint32_t value = 0;
    buffer.ReadUInt32(value);
    EXPECT_EQ(value, 0x006F6C6Cu) << "reads go on; the flag stays for the reader to check once";
    EXPECT_EQ(buffer.Flags(), Buffer::kReadPastEnd);
    buffer.Reset();
    EXPECT_EQ(buffer.Flags(), 0u);
    EXPECT_EQ(buffer.Length(), 0u);
    EXPECT_EQ(buffer.Capacity(), 16u);
}

TEST(AlignedByteBuffer, GrowingInSmallStepsFarBeyondTheIncrementKeepsEveryWord) {
    // The library writer's case: increment 1024, an image of a megabyte (a thousand growths).
    Buffer buffer;
    ASSERT_TRUE(buffer.Init(1024));
    constexpr uint32_t kWords = 1u << 18;
    for (uint32_t i = 0; i < kWords; ++i) buffer.AppendUInt32(i * 2654435761u);
    ASSERT_EQ(buffer.Flags(), 0u);
    ASSERT_EQ(buffer.Length(), 4 * kWords);
    EXPECT_EQ(buffer.Capacity() % 1024, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.Data()) % 4, 0u);
    for (uint32_t i = 0; i < kWords; ++i) {
        uint32_t word = 0;
        std::memcpy(&word, buffer.Data() + 4 * i, 4);
        ASSERT_EQ(word, i * 2654435761u) << "word " << i;
    }
}

TEST(AlignedByteBuffer, Flag1IsStickyAndLaterAppendsWriteNothing) {
    Buffer buffer;
    buffer.AppendUInt32(1);
    EXPECT_EQ(buffer.Flags(), Buffer::kAllocFailed) << "no storage";
    ASSERT_TRUE(buffer.Init(16));
    buffer.AppendUInt32(0x11111111);
    buffer.Reserve(UINT32_MAX - 8);  // length + increment would not fit 32 bits
    EXPECT_EQ(buffer.Flags(), Buffer::kAllocFailed);
    EXPECT_EQ(buffer.Capacity(), 16u) << "storage, capacity and length stay";
    EXPECT_EQ(buffer.Length(), 4u);
    buffer.AppendUInt32(0x22222222);
    buffer.AppendBytes("x", 1);
    EXPECT_EQ(buffer.Length(), 4u);
    EXPECT_EQ(buffer.Cursor(), 4u);
    EXPECT_EQ(Bytes(buffer), (std::vector<uint8_t>{0x11, 0x11, 0x11, 0x11}));
    buffer.Reset();
    buffer.AppendUInt32(3);
    EXPECT_EQ(buffer.Flags(), 0u);
    EXPECT_EQ(buffer.Length(), 4u);
    buffer.Release();
    EXPECT_EQ(buffer.Data(), nullptr);
    EXPECT_EQ(buffer.Increment(), 0u);
}

}  // namespace
