// Block arrays: block division, the erase variants and what they return, first-fit
// appends, iterator movement, and the lifetime of non-trivial items.
#include "foundation/containers/block_array.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "foundation/kuid/kuid.h"

namespace {

using KUIDs = BlockArray<KUID, 128>;
using Ints = BlockArray<int, 4>;

KUID Nth(int i) {
    return KUID(i, i + 1000, 0);
}

template <class Array> std::vector<int> Items(const Array& array) {
    std::vector<int> items;
    for (int item : array)
        items.push_back(item);
    return items;
}

// Slot index of each item, in order: shows how the items are divided into blocks.
template <class Array> std::vector<int> Slots(Array& array) {
    std::vector<int> slots;
    for (auto at = array.Begin(); !at.IsEnd(); at.Increment())
        slots.push_back(at.Slot());
    return slots;
}

Ints MakeInts(int count) {
    Ints array;
    for (int i = 0; i < count; ++i)
        array.PushBack(i);
    return array;
}

TEST(BlockArray, KUIDsFillBlocksOf128AndAnEmptiedBlockIsFreed) {
    KUIDs list;
    for (int i = 0; i < 128; ++i)
        EXPECT_EQ(list.PushBack(Nth(i)), i);
    EXPECT_EQ(list.PushBack(Nth(128)), 0) << "the 129th KUID opens a second block";
    ASSERT_EQ(list.Count(), 129);
    EXPECT_EQ(list.At(127).Slot(), 127);
    EXPECT_EQ(*list.At(128), Nth(128));

    auto next = list.Erase(list.At(128));
    EXPECT_TRUE(next.IsEnd());
    EXPECT_EQ(list.Count(), 128);
    EXPECT_EQ(list.PushBack(Nth(500)), 0) << "the freed block is made anew";
}

TEST(BlockArray, NewKUIDBlocksHoldTheNullKUIDAndErasedSlotsReturnToIt) {
    KUIDs list;
    list.PushBack(Nth(1));
    list.PushBack(Nth(2));
    list.PushBack(Nth(3));
    const KUID* slots = &*list.Begin();
    EXPECT_TRUE(slots[3].IsNull());
    EXPECT_TRUE(slots[127].IsNull());

    list.Erase(list.At(1));
    EXPECT_EQ(slots[1], Nth(3));
    EXPECT_TRUE(slots[2].IsNull());
}

TEST(BlockArray, ErasingTheOnlyItemEmptiesTheArray) {
    KUIDs list;
    list.PushBack(Nth(1));
    auto next = list.Erase(list.Begin());
    EXPECT_TRUE(next.IsEnd());
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.Begin().IsEnd());
}

TEST(BlockArray, OrderedEraseShiftsTheBlockAndReturnsTheFollowingItem) {
    struct Case {
        int count;
        int erase;
        std::vector<int> after;
        int nextItem; // -1: the end
        int nextSlot;
    };
    const Case cases[] = {
        {4, 0, {1, 2, 3}, 1, 0},        // first of a block: former second now in slot 0
        {6, 3, {0, 1, 2, 4, 5}, 4, 0},  // last of the first block: the next block's first
        {6, 5, {0, 1, 2, 3, 4}, -1, 0}, // last of the last block: the end
        {9, 4, {0, 1, 2, 3, 5, 6, 7, 8}, 5, 0},
        {9, 8, {0, 1, 2, 3, 4, 5, 6, 7}, -1, 0}, // empties the last block
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " items, erase " << c.erase);
        Ints array = MakeInts(c.count);
        auto next = array.Erase(array.At(c.erase));
        EXPECT_EQ(Items(array), c.after);
        if (c.nextItem < 0) {
            EXPECT_TRUE(next.IsEnd());
        } else {
            ASSERT_FALSE(next.IsEnd());
            EXPECT_EQ(*next, c.nextItem);
            EXPECT_EQ(next.Slot(), c.nextSlot);
        }
    }
}

TEST(BlockArray, ErasingTheWholeFirstBlockMakesTheNextBlockFirst) {
    Ints array = MakeInts(6); // blocks [0 1 2 3] [4 5]
    auto at = array.Begin();
    for (int i = 0; i < 4; ++i)
        at = array.Erase(at);
    ASSERT_FALSE(at.IsEnd());
    EXPECT_EQ(*at, 4);
    EXPECT_EQ(Items(array), (std::vector<int>{4, 5}));
    EXPECT_EQ(Slots(array), (std::vector<int>{0, 1}));
    at.Increment();
    at.Increment();
    EXPECT_TRUE(at.IsEnd()) << "the returned iterator knows the new first block";
}

TEST(BlockArray, UnorderedEraseMovesTheBlocksLastItemIn) {
    Ints array = MakeInts(7); // blocks [0 1 2 3] [4 5 6]
    auto next = array.EraseUnordered(array.At(1));
    EXPECT_EQ(*next, 3);
    EXPECT_EQ(next.Slot(), 1);
    EXPECT_EQ(Items(array), (std::vector<int>{0, 3, 2, 4, 5, 6}));

    next = array.EraseUnordered(array.At(2)); // the first block's last item
    EXPECT_EQ(*next, 4);
    EXPECT_EQ(Items(array), (std::vector<int>{0, 3, 4, 5, 6}));

    array.EraseFirst();
    EXPECT_EQ(Items(array), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_TRUE(array.Erase(array.End()).IsEnd()) << "erasing at the end erases nothing";
    EXPECT_EQ(array.Count(), 4);
}

TEST(BlockArray, FirstFitAppendFillsTheFirstBlockWithRoom) {
    BlockArray<uint32_t, 4> holders;
    for (uint32_t id = 10; id < 17; ++id)
        holders.PushBackFirstFit(id);      // blocks [4, 3]
    holders.EraseUnordered(holders.At(1)); // blocks [3, 3]
    EXPECT_EQ(holders.PushBackFirstFit(99), 3);
    EXPECT_EQ(*holders.At(3), 99u) << "went into the first block";

    EXPECT_EQ(holders.PushBackFirstFit(100), 3) << "then the second";
    EXPECT_EQ(holders.PushBackFirstFit(101), 0) << "every block full: a new one at the end";
    EXPECT_EQ(*holders.At(8), 101u);
}

TEST(BlockArray, IteratorsAdvanceAndRetreatAcrossBlocks) {
    Ints array = MakeInts(10); // blocks [0..3] [4..7] [8 9]
    struct Case {
        int start; // -1: the end
        int by;
        int expected; // -1: the end
    };
    const Case cases[] = {
        {0, 10, -1}, {0, 9, 9},   {2, 5, 7},   {3, 1, 4},    {9, 1, -1},    {7, -7, 0},
        {5, -2, 3},  {4, -5, -1}, {-1, -1, 9}, {-1, -10, 0}, {-1, -11, -1}, {-1, 3, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.start << " by " << c.by);
        auto at = c.start < 0 ? array.End() : array.At(c.start);
        at.Advance(c.by);
        if (c.expected < 0) {
            EXPECT_TRUE(at.IsEnd());
        } else {
            ASSERT_FALSE(at.IsEnd());
            EXPECT_EQ(*at, c.expected);
        }
        auto back = c.start < 0 ? array.End() : array.At(c.start);
        back.Retreat(-c.by);
        EXPECT_TRUE(back == at) << "Retreat(-n) is Advance(n)";
    }
    EXPECT_TRUE(array.At(array.Count()).IsEnd());
    EXPECT_TRUE(array.At(-1).IsEnd());
    EXPECT_EQ(Slots(array), (std::vector<int>{0, 1, 2, 3, 0, 1, 2, 3, 0, 1}));
}

TEST(BlockArray, FindReturnsTheFirstEqualItem) {
    KUIDs list;
    list.PushBack(Nth(1));
    list.PushBack(Nth(2));
    list.PushBack(Nth(1));
    EXPECT_EQ(list.Find(Nth(1)), list.At(0));
    EXPECT_EQ(list.Find(Nth(2)), list.At(1));
    EXPECT_TRUE(list.Find(KUID(1, 1001, 3)).IsEnd()) << "all three fields compared";
    EXPECT_EQ(list.FindIf([](const KUID& k) { return k.contentId == 1002; }), list.At(1));
}

TEST(BlockArray, ItemsAreReleasedOnEraseAndClearAndReferencedByAppendAll) {
    auto shared = std::make_shared<int>(7);
    BlockArray<std::shared_ptr<int>, 2> a;
    for (int i = 0; i < 5; ++i)
        a.PushBack(shared); // blocks [2] [2] [1]
    EXPECT_EQ(shared.use_count(), 6);

    a.Erase(a.At(1)); // blocks [1] [2] [1]
    EXPECT_EQ(shared.use_count(), 5);

    BlockArray<std::shared_ptr<int>, 2> b;
    b.PushBack(std::make_shared<int>(1));
    b.AppendAll(a);
    EXPECT_EQ(shared.use_count(), 9);
    EXPECT_EQ(Slots(b), (std::vector<int>{0, 0, 0, 1, 0})) << "same block division";

    b.AppendAll(b); // appending itself copies the blocks it had
    EXPECT_EQ(b.Count(), 10);
    EXPECT_EQ(shared.use_count(), 13);

    a.Clear();
    b.Clear();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(shared.use_count(), 1);
}

TEST(BlockArray, DeleteAllDeletesEveryPointee) {
    int destroyed = 0;
    struct Counted {
        int* destroyed;
        ~Counted() { ++*destroyed; }
    };
    BlockArray<Counted*, 13> owned;
    for (int i = 0; i < 20; ++i)
        owned.PushBack(new Counted{&destroyed});
    owned.DeleteAll();
    EXPECT_EQ(destroyed, 20);
    EXPECT_TRUE(owned.IsEmpty());
}

} // namespace
