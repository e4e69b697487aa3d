// Kiv::DynamicBuffer: growth by the grow step, position and lengths, zero-filled gaps,
// clamped seeks, Clean and AddLength.
#include "engine/dynamic_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>

namespace {

TEST(DynamicBuffer, WritesGrowByTheStepAndTrackPositionAndDataLength) {
    Kiv::DynamicBuffer buffer(0, 512);
    EXPECT_EQ(buffer.GetAllocatedLength(), 0u);
    EXPECT_EQ(buffer.Write("abcd", 1, 4), 4u);
    EXPECT_EQ(buffer.GetAllocatedLength(), 512u);
    EXPECT_EQ(buffer.GetPosition(), 4u);
    EXPECT_EQ(buffer.GetDataLength(), 4u);
    std::string block(600, 'x');
    EXPECT_EQ(buffer.Write(block.data(), 100, 6), 600u);
    EXPECT_EQ(buffer.GetAllocatedLength() % 512, 0u);
    EXPECT_GE(buffer.GetAllocatedLength(), 604u);
    EXPECT_EQ(buffer.GetDataLength(), 604u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.GetData()), 5), "abcdx");
}

TEST(DynamicBuffer, ReadsStopAtTheDataLength) {
    Kiv::DynamicBuffer buffer(64, 16);
    buffer.Write("0123456789", 1, 10);
    EXPECT_EQ(buffer.Seek(0, 0), 0u);
    char out[16] = {};
    EXPECT_EQ(buffer.Read(out, 4, 2), 8u);
    EXPECT_EQ(buffer.Read(out, 4, 1), 2u);
    EXPECT_EQ(buffer.Read(out, 1, 1), 0u);
    EXPECT_EQ(buffer.Read(out, SIZE_MAX, 2), 0u);
    EXPECT_EQ(buffer.Write(out, SIZE_MAX, 2), 0u);
}

TEST(DynamicBuffer, SeeksStayWithinTheAllocationAndGapsReadAsZero) {
    Kiv::DynamicBuffer buffer(32, 32);
    buffer.Write("ab", 1, 2);
    EXPECT_EQ(buffer.Seek(-1, 1), 1u);
    EXPECT_EQ(buffer.Seek(0, 2), 2u);
    EXPECT_EQ(buffer.Seek(1000, 0), 32u);
    EXPECT_EQ(buffer.Seek(-1000, 1), 0u);
    EXPECT_EQ(buffer.Seek(8, 0), 8u);
    buffer.Write("z", 1, 1);
    EXPECT_EQ(buffer.GetDataLength(), 9u);
    buffer.Seek(0, 0);
    char out[9];
    ASSERT_EQ(buffer.Read(out, 1, 9), 9u);
    EXPECT_EQ(std::string(out, 9), std::string("ab\0\0\0\0\0\0z", 9));
}

TEST(DynamicBuffer, CleanEmptiesButKeepsTheAllocation) {
    Kiv::DynamicBuffer buffer(0, 512);
    buffer.Write("secret", 1, 6);
    buffer.Clean();
    EXPECT_EQ(buffer.GetPosition(), 0u);
    EXPECT_EQ(buffer.GetDataLength(), 0u);
    EXPECT_EQ(buffer.GetAllocatedLength(), 512u);
    buffer.Seek(4, 0);
    buffer.Write("!", 1, 1);
    buffer.Seek(0, 0);
    char out[5];
    ASSERT_EQ(buffer.Read(out, 1, 5), 5u);
    EXPECT_EQ(std::string(out, 5), std::string("\0\0\0\0!", 5));  // nothing old shows through
}

TEST(DynamicBuffer, AddLengthGrowsAndImpossibleSizesThrow) {
    Kiv::DynamicBuffer buffer(10, 512);
    buffer.AddLength(65536 + 5);
    EXPECT_EQ(buffer.GetAllocatedLength(), 10u + 65536u + 5u);
    EXPECT_THROW(buffer.AddLength(SIZE_MAX), std::bad_alloc);
    EXPECT_EQ(buffer.GetAllocatedLength(), 10u + 65536u + 5u);
}

}  // namespace
