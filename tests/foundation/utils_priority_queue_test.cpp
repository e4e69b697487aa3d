// Utils::PriorityQueue: the 1-based min-heap over the low 30 bits of a message's time word,
// the order of equal keys, removal from the middle, and a random run against a sorted model.
#include "foundation/utils/priority_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

struct TestMessage {
    uint32_t time;
    int id;
    uint32_t TimeWord() const { return time; }
};

using Heap = Utils::PriorityQueue<TestMessage>;

void ExpectHeapOrder(const Heap& heap) {
    for (uint32_t i = 2; i <= heap.Count(); ++i)
        ASSERT_LE(heap.At(i / 2)->time & Heap::kKeyMask, heap.At(i)->time & Heap::kKeyMask) << i;
}

TEST(UtilsPriorityQueue, EqualKeysNeverPassEachOtherUpward) {
    TestMessage early{5, 1}, late{5, 2}, later{5, 3};
    Heap heap;
    ASSERT_TRUE(heap.Push(&early));
    ASSERT_TRUE(heap.Push(&late));
    ASSERT_TRUE(heap.Push(&later));
    EXPECT_EQ(heap.At(1), &early);
    EXPECT_EQ(heap.Pop(), &early);
    TestMessage sooner{4, 4};
    ASSERT_TRUE(heap.Push(&sooner));
    EXPECT_EQ(heap.Pop(), &sooner);
}

TEST(UtilsPriorityQueue, KeysAreTheLow30BitsComparedPlainly) {
    TestMessage flagged{0xC0000001, 1};  // key 1
    TestMessage plain{0x00000002, 2};
    TestMessage largest{0x3FFFFFFF, 3};
    TestMessage zero{0x40000000, 4};  // key 0
    Heap heap;
    for (TestMessage* m : {&largest, &plain, &flagged, &zero})
        ASSERT_TRUE(heap.Push(m));
    EXPECT_EQ(heap.Pop(), &zero);
    EXPECT_EQ(heap.Pop(), &flagged);
    EXPECT_EQ(heap.Pop(), &plain);
    EXPECT_EQ(heap.Pop(), &largest);
    EXPECT_EQ(heap.Pop(), nullptr);
}

TEST(UtilsPriorityQueue, RemoveAtRestoresOrderEitherWay) {
    // The last item moved into a removed slot may need to sink or to rise.
    std::vector<TestMessage> messages = {{1, 0}, {10, 1}, {2, 2}, {11, 3}, {12, 4}, {3, 5}, {4, 6}};
    for (uint32_t index = 1; index <= messages.size(); ++index) {
        SCOPED_TRACE(index);
        Heap heap;
        for (TestMessage& m : messages)
            ASSERT_TRUE(heap.Push(&m));
        TestMessage* removed = heap.At(index);
        EXPECT_EQ(heap.RemoveAt(index), removed);
        EXPECT_EQ(heap.Count(), messages.size() - 1);
        ExpectHeapOrder(heap);
    }
    Heap heap;
    EXPECT_EQ(heap.RemoveAt(0), nullptr);
    EXPECT_EQ(heap.RemoveAt(1), nullptr);
}

TEST(UtilsPriorityQueue, RandomRunPopsInKeyOrder) {
    std::mt19937 random(4116);
    std::vector<TestMessage> messages(3000);
    for (size_t i = 0; i < messages.size(); ++i)
        messages[i] = {static_cast<uint32_t>(random() % 500), static_cast<int>(i)};
    Heap heap;
    std::vector<uint32_t> model;
    size_t pushed = 0;
    while (pushed < messages.size() || heap.Count() > 0) {
        if (pushed < messages.size() && random() % 3 != 0) {
            ASSERT_TRUE(heap.Push(&messages[pushed]));
            model.push_back(messages[pushed++].time);
        } else if (heap.Count() > 0) {
            const uint32_t index = 1 + random() % heap.Count();
            const uint32_t key = (index == 1 ? heap.Pop() : heap.RemoveAt(index))->time;
            if (index == 1) {
                ASSERT_EQ(key, *std::min_element(model.begin(), model.end()));
            }
            model.erase(std::find(model.begin(), model.end(), key));
        }
        ASSERT_EQ(heap.Count(), model.size());
        ExpectHeapOrder(heap);
    }
    heap.Clear();
    EXPECT_EQ(heap.Count(), 0u);
}

}  // namespace
