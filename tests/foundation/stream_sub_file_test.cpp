// TSubFile: a window onto parent bytes 100-199. Positions relative to the window, reads cut
// at its end, seeks held inside it, a parent that ends early counted as it is, windows that
// interleave on one parent, and writes through the window.
#include <gtest/gtest.h>

#include "foundation/streams/t_sub_file.h"
#include "stream_test_support.h"

namespace {

TEST(StreamSubFile, AWindowReadsOnlyItsOwnBytes) {
    Bytes data = Pattern(300);
    MemoryStream parent(data);
    parent.Stream().MoveTo(100);
    TSubFile window(&parent.Stream(), 100, 200);
    EXPECT_EQ(window.Tell(), 0);

    Bytes got(150);
    EXPECT_EQ(window.ReadBytes(got.data(), 150), 100u);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 100), Bytes(data.begin() + 100, data.begin() + 200));
    EXPECT_TRUE(window.Eof());

    window.MoveTo(500);
    EXPECT_EQ(window.Tell(), 100); // held at the window end

    window.MoveTo(50);
    uint8_t byte = 0;
    ASSERT_EQ(window.ReadBytes(&byte, 1), 1u);
    EXPECT_EQ(byte, data[150]);
    EXPECT_EQ(window.GetError(), 0);

    window.MoveTo(-20);
    EXPECT_EQ(window.Tell(), 0); // held at the window start
}

TEST(StreamSubFile, AParentEndingEarlyShowsAsAShortRead) {
    Bytes data = Pattern(150);
    MemoryStream parent(data);
    parent.Stream().MoveTo(100);
    TSubFile window(&parent.Stream(), 100, 200);
    Bytes got(100);
    EXPECT_EQ(window.ReadBytes(got.data(), 100), 50u);
    EXPECT_EQ(window.Tell(), 50);
    uint32_t u32 = 0;
    EXPECT_FALSE(window.ReadUInt32(u32, 1));
    EXPECT_EQ(window.GetError(), TStream::kErrorShortRead);
    EXPECT_EQ(window.Tell(), 50);
}

TEST(StreamSubFile, WindowsOnOneParentInterleave) {
    Bytes data = Pattern(10000);
    MemoryStream parent(data);
    parent.Stream().MoveTo(0);
    TSubFile first(&parent.Stream(), 0, 5000);
    parent.Stream().MoveTo(5000);
    TSubFile second(&parent.Stream(), 5000, 10000);
    for (int64_t i = 0; i < 5000; i += 997) {
        uint8_t a = 0, b = 0;
        first.MoveTo(i);
        second.MoveTo(i);
        ASSERT_EQ(first.ReadBytes(&a, 1), 1u);
        ASSERT_EQ(second.ReadBytes(&b, 1), 1u);
        EXPECT_EQ(a, data[i]);
        EXPECT_EQ(b, data[5000 + i]);
    }
}

TEST(StreamSubFile, WritesLandAtTheWindowPosition) {
    Bytes data = Pattern(300);
    MemoryStream parent(data);
    parent.Stream().MoveTo(100);
    TSubFile window(&parent.Stream(), 100, 200);
    uint8_t byte = 0;
    window.ReadBytes(&byte, 1);
    window.MoveTo(10);
    window.WriteInt32(-1);
    EXPECT_EQ(window.Tell(), 14);
    Bytes expected = data;
    for (int i = 110; i < 114; ++i)
        expected[i] = 0xFF;
    EXPECT_EQ(Contents(parent.Stream()), expected);
}

} // namespace
