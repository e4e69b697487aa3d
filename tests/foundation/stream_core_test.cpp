// TStream over memory: typed values in little-endian order, defaults and the sticky error,
// the look-behind kept across refills, reads that bypass the buffer, writes after reads,
// placeholders and absolute moves.
#include <gtest/gtest.h>

#include <cstring>

#include "foundation/streams/t_stream.h"
#include "stream_test_support.h"

namespace {

TEST(StreamCore, TypedWritesAreLittleEndianFieldByField) {
    MemoryStream memory;
    TBuffer& s = memory.Stream();
    s.WriteInt32(-2);
    s.WriteUInt32(0x11223344u);
    s.WriteFloat(1.0f);
    s.WriteInt64(0x0102030405060708);
    s.WriteBool(true);
    s.WriteBool(false);
    s.WriteByte(0xAB);
    const int32_t pair[] = {1, -1};
    s.WriteInt32Array(pair, 2);
    EXPECT_EQ(Contents(s), Hex("FE FF FF FF  44 33 22 11  00 00 80 3F  08 07 06 05 04 03 02 01 "
                               "01 00 AB  01 00 00 00 FF FF FF FF"));
    EXPECT_EQ(s.GetError(), 0);
}

TEST(StreamCore, TypedReadsTakeTheValuesBack) {
    MemoryStream memory(Hex("FE FF FF FF  44 33 22 11  00 00 80 3F  08 07 06 05 04 03 02 01 "
                            "07 00  01 00 00 00 FF FF FF FF"));
    TBuffer& s = memory.Stream();
    int32_t i32 = 0;
    uint32_t u32 = 0;
    float f = 0;
    int64_t i64 = 0;
    bool yes = false, no = true;
    int32_t pair[2] = {};
    EXPECT_TRUE(s.ReadInt32(i32, 0));
    EXPECT_TRUE(s.ReadUInt32(u32, 0));
    EXPECT_TRUE(s.ReadFloat(f, 0));
    EXPECT_TRUE(s.ReadInt64(i64, 0));
    EXPECT_TRUE(s.ReadBool(yes, false));
    EXPECT_TRUE(s.ReadBool(no, true));
    EXPECT_TRUE(s.ReadInt32Array(pair, 2));
    EXPECT_EQ(i32, -2);
    EXPECT_EQ(u32, 0x11223344u);
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(i64, 0x0102030405060708);
    EXPECT_TRUE(yes); // any byte other than 0
    EXPECT_FALSE(no);
    EXPECT_EQ(pair[0], 1);
    EXPECT_EQ(pair[1], -1);
    EXPECT_EQ(s.GetError(), 0);
    EXPECT_TRUE(s.Eof());
}

TEST(StreamCore, ShortReadsGiveTheDefaultAndError4) {
    MemoryStream four(Hex("01 02 03"));
    uint32_t u32 = 0;
    EXPECT_FALSE(four.Stream().ReadUInt32(u32, 77));
    EXPECT_EQ(u32, 77u);
    EXPECT_EQ(four.Stream().GetError(), TStream::kErrorShortRead);

    MemoryStream eight(Hex("01 02 03 04 05 06 07"));
    int64_t i64 = 0;
    EXPECT_FALSE(eight.Stream().ReadInt64(i64, -9));
    EXPECT_EQ(i64, -9);

    MemoryStream floats;
    float f = 0;
    EXPECT_FALSE(floats.Stream().ReadFloat(f, 2.5f));
    EXPECT_EQ(f, 2.5f);

    MemoryStream bools;
    bool b = false;
    EXPECT_FALSE(bools.Stream().ReadBool(b, true));
    EXPECT_TRUE(b);

    MemoryStream arrays(Hex("05 00 00 00 06 00"));
    int32_t values[2] = {9, 9};
    EXPECT_FALSE(arrays.Stream().ReadInt32Array(values, 2));
    EXPECT_EQ(values[0], 5);
    EXPECT_EQ(values[1], 0);
    EXPECT_EQ(arrays.Stream().GetError(), TStream::kErrorShortRead);
}

TEST(StreamCore, OnlyTheFirstErrorStays) {
    // A short read after 3 bytes, then a successful one: error 4 stays.
    MemoryStream memory(Hex("01 02 03"));
    TBuffer& s = memory.Stream();
    uint32_t u32 = 0;
    s.ReadUInt32(u32, 0);
    s.Rewind();
    bool b = false;
    EXPECT_TRUE(s.ReadBool(b, false));
    EXPECT_EQ(s.GetError(), TStream::kErrorShortRead);

    // A later code never replaces the first.
    const int32_t orders[][2] = {{1, 4}, {3, 4}, {4, 1}, {1, 3}};
    for (const auto& order : orders) {
        MemoryStream fresh;
        fresh.Stream().SetError(order[0]);
        fresh.Stream().SetError(order[1]);
        EXPECT_EQ(fresh.Stream().GetError(), order[0]);
    }
}

TEST(StreamCore, ReadBytesReportsWhatItGotWithoutAnError) {
    MemoryStream memory(Pattern(10));
    uint8_t bytes[16] = {};
    EXPECT_EQ(memory.Stream().ReadBytes(bytes, 16), 10u);
    EXPECT_EQ(Bytes(bytes, bytes + 10), Pattern(10));
    EXPECT_EQ(memory.Stream().GetError(), 0);
}

TEST(StreamCore, LargeReadsBypassTheBufferAndTheNextReadFillsFromThere) {
    Bytes data = Pattern(10000);
    CountingStream s(data);
    Bytes big(5000);
    EXPECT_EQ(s.ReadBytes(big.data(), big.size()), 5000u);
    EXPECT_EQ(big, Bytes(data.begin(), data.begin() + 5000));
    EXPECT_EQ(s.reads, 1);
    EXPECT_EQ(s.lastReadSize, 5000u);
    EXPECT_EQ(s.ReadAheadCount(), 0);

    uint8_t byte = 0;
    EXPECT_EQ(s.ReadBytes(&byte, 1), 1u);
    EXPECT_EQ(byte, data[5000]);
    EXPECT_EQ(s.reads, 2);
    EXPECT_EQ(s.lastReadSize, static_cast<size_t>(TStream::kBufferSize));
    EXPECT_EQ(s.ReadAheadCount(), TStream::kBufferSize - 1);
    EXPECT_EQ(s.Tell(), 5001);
}

TEST(StreamCore, ARefillKeepsTheSixteenBytesBeforeIt) {
    Bytes data = Pattern(10000);
    // Targets before the refill point at 4096: the 16 kept bytes move only the cursor; the
    // 17th byte before it needs a seek.
    struct Case {
        int64_t target;
        int seeks;
    };
    const Case cases[] = {{4095, 0}, {4088, 0}, {4080, 0}, {4079, 1}, {4000, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        CountingStream s(data);
        Bytes first(TStream::kBufferSize);
        ASSERT_EQ(s.ReadBytes(first.data(), 4000), 4000u); // through the buffer
        ASSERT_EQ(s.ReadBytes(first.data(), 96), 96u);     // the buffer is used up
        uint8_t byte = 0;
        ASSERT_EQ(s.ReadBytes(&byte, 1), 1u); // refill: 16 kept, 4080 read
        EXPECT_EQ(s.lastReadSize, TStream::kDirectRead);
        EXPECT_EQ(byte, data[4096]);

        s.MoveTo(c.target);
        EXPECT_EQ(s.seeks, c.seeks);
        EXPECT_EQ(s.Tell(), c.target);
        ASSERT_EQ(s.ReadBytes(&byte, 1), 1u);
        EXPECT_EQ(byte, data[c.target]);
    }
}

TEST(StreamCore, SteppingBackAfterAnEmptyRefillReadsTheRealBytes) {
    // The data ends inside the buffer: a failed refill must keep the bytes that really came
    // before, not whatever the end of the buffer held.
    Bytes data = Pattern(100);
    MemoryStream memory(data);
    TBuffer& s = memory.Stream();
    Bytes sink(98);
    ASSERT_EQ(s.ReadBytes(sink.data(), sink.size()), 98u);
    uint32_t u32 = 0;
    EXPECT_FALSE(s.ReadUInt32(u32, 0));
    EXPECT_EQ(s.Tell(), 100);
    for (int64_t back : {99, 90, 84}) {
        s.MoveTo(back);
        uint8_t byte = 0;
        ASSERT_EQ(s.ReadBytes(&byte, 1), 1u);
        EXPECT_EQ(byte, data[back]) << back;
    }
}

TEST(StreamCore, AWriteAfterReadsLandsAtTheLogicalPosition) {
    Bytes data = Pattern(100);
    MemoryStream memory(data);
    TBuffer& s = memory.Stream();
    uint32_t u32 = 0;
    ASSERT_TRUE(s.ReadUInt32(u32, 0));
    ASSERT_EQ(s.ReadAheadCount(), 96);
    s.WriteInt32(0x44332211);
    EXPECT_EQ(s.Tell(), 8);
    Bytes expected = data;
    std::memcpy(expected.data() + 4, Hex("11 22 33 44").data(), 4);
    EXPECT_EQ(Contents(s), expected);
}

TEST(StreamCore, MovingBackAfterAWriteSeesTheWrittenBytes) {
    Bytes data = Pattern(8);
    MemoryStream memory(data);
    TBuffer& s = memory.Stream();
    Bytes all(8);
    ASSERT_EQ(s.ReadBytes(all.data(), 8), 8u); // buffer used up, look-behind of 8 bytes
    s.WriteUInt32(0x11223344u);
    s.MoveTo(6);
    Bytes got(6);
    ASSERT_EQ(s.ReadBytes(got.data(), 6), 6u);
    EXPECT_EQ(got, Join({Bytes{data[6], data[7]}, Hex("44 33 22 11")}));
}

TEST(StreamCore, APlaceholderIsPatchedWithTheBytesWrittenAfterIt) {
    MemoryStream memory;
    TBuffer& s = memory.Stream();
    s.WriteBytes(Pattern(10).data(), 10);
    EXPECT_EQ(s.WritePlaceholder(), 10);
    EXPECT_EQ(Contents(s), Join({Pattern(10), Hex("EB CE ED FE")}));
    s.WriteBytes(Pattern(20).data(), 20);
    s.PatchLength(10);
    EXPECT_EQ(s.Tell(), 34);
    Bytes expected = Join({Pattern(10), Hex("14 00 00 00"), Pattern(20)});
    EXPECT_EQ(Contents(s), expected);

    s.WriteInt32At(0, -1);
    EXPECT_EQ(s.Tell(), 34);
    std::memcpy(expected.data(), Hex("FF FF FF FF").data(), 4);
    EXPECT_EQ(Contents(s), expected);
}

TEST(StreamCore, SizeKeepsTheLogicalPosition) {
    MemoryStream memory(Pattern(300));
    TBuffer& s = memory.Stream();
    uint8_t bytes[7];
    s.ReadBytes(bytes, 7);
    EXPECT_EQ(s.Size(), 300);
    EXPECT_EQ(s.Tell(), 7);
    ASSERT_EQ(s.ReadBytes(bytes, 1), 1u);
    EXPECT_EQ(bytes[0], Pattern(300)[7]);
}

TEST(StreamCore, MemoryThatCannotGrowIsError3AndNothingIsWritten) {
    MemoryStream memory(Pattern(4));
    TBuffer& s = memory.Stream();
    uint8_t source[1] = {};
    EXPECT_EQ(s.WriteBytes(source, size_t{1} << 63), 0u);
    EXPECT_EQ(s.GetError(), TStream::kErrorMemory);
    EXPECT_EQ(Contents(s), Pattern(4));
}

TEST(StreamCore, PastSixteenKilobytesTheBlockGrowsAheadOfTheWrites) {
    MemoryStream memory;
    TBuffer& s = memory.Stream();
    Bytes chunk = Pattern(20000);
    s.WriteBytes(chunk.data(), chunk.size());
    size_t allocated = s.GetBuffer().GetAllocatedLength();
    ASSERT_GT(allocated, TBuffer::kOwnGrowthLimit);
    size_t fill = allocated - s.GetBuffer().GetPosition();
    Bytes filler(fill + 10);
    s.WriteBytes(filler.data(), filler.size());
    EXPECT_EQ(s.GetBuffer().GetAllocatedLength(),
              allocated + filler.size() + TBuffer::kGrowthReserve);
}

TEST(StreamCore, BufferStreamReadsBackWhatItWrote) {
    BufferStream message;
    message.Stream().WriteInt32(42);
    message.Stream().WriteString(Kiv::String("hi"));
    message.Stream().Rewind();
    int32_t value = 0;
    Kiv::String text;
    EXPECT_TRUE(message.Stream().ReadInt32(value, 0));
    EXPECT_TRUE(message.Stream().ReadString(text));
    EXPECT_EQ(value, 42);
    EXPECT_EQ(text, "hi");
    EXPECT_EQ(message.Buffer().GetDataLength(), 10u);
}

} // namespace
