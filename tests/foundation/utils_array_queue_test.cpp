// Utils::Array growth in steps of N and Utils::Queue growth by its increment, keeping the
// items in order from element 0.
#include "foundation/utils/array.h"
#include "foundation/utils/queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(UtilsArray, ReserveGrowsToTheSmallestMultipleOfNAboveTheIndex) {
    struct Case {
        uint32_t first, then, want;
    };
    const Case step4[] = {{3, 4, 8}, {3, 3, 4}, {0, 0, 4}, {5, 7, 8}, {9, 12, 16}};
    for (const Case& c : step4) {
        SCOPED_TRACE(testing::Message() << c.first << " then " << c.then);
        Utils::Array<int32_t, 4> array;
        ASSERT_TRUE(array.Reserve(c.first));
        EXPECT_TRUE(array.Reserve(c.then));
        EXPECT_EQ(array.Capacity(), c.want);
    }
    Utils::Array<void*, 32> pointers;
    ASSERT_TRUE(pointers.Reserve(31));
    ASSERT_EQ(pointers.Capacity(), 32u);
    ASSERT_TRUE(pointers.Reserve(32));
    EXPECT_EQ(pointers.Capacity(), 64u);
    Utils::Array<uint8_t, 32> huge;
    EXPECT_FALSE(huge.Reserve(UINT32_MAX)) << "the capacity would not fit 32 bits";
    EXPECT_EQ(huge.Capacity(), 0u);
}

TEST(UtilsArray, GrowthKeepsTheElementsAndZeroesTheNewOnes) {
    struct LineDebugInfo {
        uint32_t offset, line;
    };
    Utils::Array<LineDebugInfo, 128> lines;
    ASSERT_TRUE(lines.Reserve(127));
    for (uint32_t i = 0; i < 128; ++i)
        lines[i] = {i * 4, i + 1};
    ASSERT_TRUE(lines.Reserve(128));
    EXPECT_EQ(lines.Capacity(), 256u);
    for (uint32_t i = 0; i < 128; ++i)
        ASSERT_EQ(lines[i].line, i + 1);
    EXPECT_EQ(lines[200].offset, 0u);
}

// Pops every item, oldest first.
std::vector<int> Drain(Utils::Queue<int, 1>& queue) {
    std::vector<int> items;
    for (int item = 0; queue.Pop(item);)
        items.push_back(item);
    return items;
}

TEST(UtilsQueue, AQueueWithoutStorageGrowsToExactlyItsIncrement) {
    Utils::Queue<int, 1> queue(22);
    EXPECT_EQ(queue.Capacity(), 0u);
    ASSERT_TRUE(queue.Push(7));
    EXPECT_EQ(queue.Capacity(), 22u);
    EXPECT_EQ(queue.Count(), 1u);
}

TEST(UtilsQueue, AFullQueueWithItsHeadInTheMiddleGrowsInOrderFromElementZero) {
    Utils::Queue<int, 1> queue(4);
    for (int i = 1; i <= 4; ++i)
        ASSERT_TRUE(queue.Push(i));
    int item = 0;
    ASSERT_TRUE(queue.Pop(item));
    ASSERT_TRUE(queue.Pop(item));
    ASSERT_TRUE(queue.Push(5));
    ASSERT_TRUE(queue.Push(6));  // full again: head 2, tail 2, wrapped
    ASSERT_EQ(queue.Head(), 2u);
    ASSERT_EQ(queue.Capacity(), 4u);
    ASSERT_TRUE(queue.Push(7));
    EXPECT_EQ(queue.Capacity(), 8u);
    EXPECT_EQ(queue.Head(), 0u);
    EXPECT_EQ(queue.Tail(), 5u) << "the next push lands at index count";
    EXPECT_EQ(Drain(queue), (std::vector<int>{3, 4, 5, 6, 7}));
}

TEST(UtilsQueue, LongRunsKeepFirstInFirstOut) {
    Utils::Queue<int, 1> queue(3);
    int next = 0;
    int expected = 0;
    for (int round = 0; round < 50; ++round) {
        for (int i = 0; i < round % 7 + 1; ++i)
            ASSERT_TRUE(queue.Push(next++));
        for (int i = 0, item = 0; i < round % 5 && queue.Pop(item); ++i)
            ASSERT_EQ(item, expected++);
    }
    for (int item : Drain(queue))
        ASSERT_EQ(item, expected++);
    EXPECT_EQ(expected, next);
}

TEST(UtilsQueue, PopOnEmptyAndAZeroIncrementFailWithoutTouchingMemory) {
    Utils::Queue<int, 1> queue(0);
    int item = 42;
    EXPECT_FALSE(queue.Pop(item));
    EXPECT_EQ(item, 42);
    EXPECT_FALSE(queue.Push(1)) << "no room can be made";
    EXPECT_EQ(queue.Count(), 0u);
}

}  // namespace
