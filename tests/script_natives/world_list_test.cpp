// World lists in memory: handing out slots, held-back slots, placing, removing, clearing,
// broadcasts, and the tile index the list keeps informed; world positions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "script_natives/world_position.h"
#include "script_natives/world_tile_index.h"
#include "world_list_support.h"

using namespace worldtest;

TEST(WorldList, AddItemHandsOutEvenSlotsAndReusesARemovedOne) {
    WorldList list(nullptr, 1, nullptr);
    TestItem a, b, c;
    EXPECT_EQ(list.AddItem(&a), 0);
    EXPECT_EQ(list.GetSlotCount(), 2);
    EXPECT_EQ(list.AddItem(&b), 2);
    EXPECT_EQ(list.GetSlotCount(), 4);
    EXPECT_EQ(list.AddItem(&a), -1) << "an item in a list already";
    list.RemoveItem(&a);
    EXPECT_EQ(a.GetList(), nullptr);
    EXPECT_EQ(a.GetIndex(), -1);
    EXPECT_EQ(list.AddItem(&c), 0);
    EXPECT_EQ(list.GetItem(0), &c);
    EXPECT_EQ(a.events, (std::vector<std::string>{"added", "removed"}));
    list.RemoveItem(&b);
    list.RemoveItem(&c);
}

TEST(WorldList, AHeldBackSlotIsNotHandedOutAgain) {
    WorldList list(nullptr, 1, nullptr);
    auto held = std::make_unique<TestItem>();
    TestItem other, next;
    WorldListItem::HoldBackSlot(held.get());
    ASSERT_EQ(list.AddItem(held.get()), 0);
    ASSERT_EQ(list.AddItem(&other), 2);
    list.RemoveItem(held.get());
    EXPECT_TRUE(list.IsHeldBack(0));
    EXPECT_EQ(list.AddItem(&next), 4);
    held.reset();
    EXPECT_FALSE(WorldListItem::IsSlotHeldBack(held.get()));
    list.RemoveItem(&other);
    list.RemoveItem(&next);
}

TEST(WorldList, AddItemAtGrowsTheTableAndRefusesTakenOrUnreasonableSlots) {
    WorldList list(nullptr, 1, nullptr);
    TestItem a, b, c;
    EXPECT_TRUE(list.AddItemAt(5, &a));
    EXPECT_EQ(list.GetSlotCount(), 6);
    EXPECT_EQ(a.GetIndex(), 5);
    EXPECT_FALSE(list.AddItemAt(5, &b)) << "occupied";
    for (int32_t slot : {-1, -2, WorldList::kMaxStreamSlot, std::numeric_limits<int32_t>::max()})
        EXPECT_FALSE(list.AddItemAt(slot, &b)) << slot;
    EXPECT_EQ(list.GetSlotCount(), 6);
    EXPECT_EQ(list.AddItem(&b), 0);
    EXPECT_FALSE(list.AddItemAt(1, &b)) << "in a list already";
    EXPECT_TRUE(list.AddItemAt(1, &c));
    list.RemoveItem(&a);
    list.RemoveItem(&b);
    list.RemoveItem(&c);
}

TEST(WorldList, ClearAndDestructionDeleteTheItemsAndResetTheTable) {
    int deaths = 0;
    WorldList list(nullptr, 1, nullptr);
    list.AddItem(new TestItem(kLibraryType, 1, &deaths));
    list.AddItemAt(3, new TestItem(kLibraryType, 1, &deaths));
    list.Clear();
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(list.GetSlotCount(), 0);
    auto* again = new TestItem(kLibraryType, 1, &deaths);
    EXPECT_EQ(list.AddItem(again), 0) << "the even cursor is back at 0";
    {
        WorldList other(nullptr, 2, nullptr);
        other.AddItem(new TestItem(kLibraryType, 1, &deaths));
    }
    EXPECT_EQ(deaths, 3);
    delete again;
    EXPECT_EQ(list.GetItem(0), nullptr) << "a deleted item leaves its slot";
}

TEST(WorldList, DeleteItemsTakesThoseWhoseMaskedFlagsMatch) {
    int deaths = 0;
    WorldList list(nullptr, 1, nullptr);
    auto* plain = new TestItem(kLibraryType, 1, &deaths);
    auto* marked = new TestItem(kLibraryType, 5, &deaths);
    list.AddItem(plain);
    list.AddItem(marked);
    list.DeleteItems(4, 4);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(list.GetItem(0), plain);
    EXPECT_EQ(list.GetItem(2), nullptr);
    list.DeleteItems(0, 0);
    EXPECT_EQ(deaths, 2);
}

TEST(WorldList, TickAndNotifyReachItemsInSlotOrderByTheirFlags) {
    WorldList list(nullptr, 1, nullptr);
    TestItem plain(kLibraryType, 1), marked(kLibraryType, 7), unmarked(kLibraryType, 6);
    list.AddItem(&plain);
    list.AddItem(&marked);
    list.AddItem(&unmarked);
    list.Tick();
    list.Notify(9, 2);
    list.Notify(8, 0);
    EXPECT_EQ(plain.events, (std::vector<std::string>{"added", "tick", "notify 8 1"}));
    EXPECT_EQ(marked.events, (std::vector<std::string>{"added", "tick", "notify 9 3", "notify 8 1"}));
    EXPECT_EQ(unmarked.events, (std::vector<std::string>{"added", "tick"}));
    for (TestItem* item : {&plain, &marked, &unmarked}) list.RemoveItem(item);
}

TEST(WorldPosition, NormalisingCarriesWholeTilesOutOfBothOffsets) {
    struct Case {
        int16_t tile;
        float offset;
        int16_t wantTile;
        float wantOffset;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {0, 719.95f, 1, -0.05f},  // within 0.072 m of the boundary: carried
        {3, -10.0f, 2, 710.0f},
        {3, -720.0f, 2, 0.0f},
        {0, 1440.5f, 2, 0.5f},
        {0, 100.0f, 0, 100.0f},
        {32767, 720.0f, -32768, 0.0f},  // the tile number wraps in 16 bits
    };
    for (const Case& c : cases) {
        WorldPosition position;
        position.tile[0] = c.tile;
        position.tile[1] = c.tile;
        position.offset[0] = c.offset;
        position.offset[1] = c.offset;
        position.offset[2] = 5000.0f;
        NormaliseWorldPosition(position);
        for (int axis = 0; axis < 2; ++axis) {
            EXPECT_EQ(position.tile[axis], c.wantTile) << c.offset;
            EXPECT_NEAR(position.offset[axis], c.wantOffset, 0.001f) << c.offset;
        }
        EXPECT_EQ(position.offset[2], 5000.0f) << "height is never normalised";
        EXPECT_EQ(position.normalised, 1);
    }
    WorldPosition odd;
    odd.tile[0] = 4;
    odd.offset[0] = nan;
    odd.tile[1] = 4;
    odd.offset[1] = 3.0e38f;
    NormaliseWorldPosition(odd);
    EXPECT_EQ(odd.tile[0], 4) << "NaN carries no tile";
    EXPECT_EQ(odd.tile[1], 3) << "a huge offset saturates to 0x7FFFFFFF tiles, then wraps";
}

namespace {

TestItem* ItemOver(int16_t tile0, int16_t tile1, float low0, float high0, float low1 = 10.0f, float high1 = 20.0f) {
    auto* item = new TestItem();
    item->bounds.tile[0] = tile0;
    item->bounds.tile[1] = tile1;
    item->bounds.low[0] = low0;
    item->bounds.high[0] = high0;
    item->bounds.low[1] = low1;
    item->bounds.high[1] = high1;
    return item;
}

std::vector<uint32_t> TilesOf(const WorldTileIndex& index, WorldListItem* item) {
    std::vector<uint32_t> keys;
    for (const auto& [key, items] : index.Tiles())
        if (items.count(item)) keys.push_back(key);
    return keys;
}

}  // namespace

TEST(WorldTileIndex, ItemsEnterEveryTileTheirBoundsTouch) {
    WorldTileIndex index;
    WorldList list(nullptr, 1, &index);
    TestItem* inside = ItemOver(2, 3, 100.0f, 200.0f);
    TestItem* across = ItemOver(0, 0, 700.0f, 740.0f);
    TestItem* edge = ItemOver(32767, 0, -720.0f, 0.0f);
    TestItem* inverted = ItemOver(0, 0, 800.0f, 10.0f);
    for (TestItem* item : {inside, across, edge, inverted}) list.AddItem(item);
    EXPECT_EQ(TilesOf(index, inside), (std::vector<uint32_t>{0x00030002u}));
    EXPECT_EQ(TilesOf(index, across), (std::vector<uint32_t>{0x00000000u, 0x00000001u}));
    EXPECT_EQ(TilesOf(index, edge), (std::vector<uint32_t>{0x00007FFEu, 0x00007FFFu}))
        << "a range ending at tile 32767 ends";
    EXPECT_TRUE(TilesOf(index, inverted).empty());
    EXPECT_EQ(WorldTileIndex::TileKey(-1, 1), 0x0001FFFFu);
}

TEST(WorldTileIndex, RemovingTheSoleItemOfATileDropsTheTile) {
    WorldTileIndex index;
    WorldList list(nullptr, 1, &index);
    TestItem* shared = ItemOver(0, 0, 100.0f, 200.0f);
    TestItem* wide = ItemOver(0, 0, 100.0f, 800.0f);
    list.AddItem(shared);
    list.AddItem(wide);
    ASSERT_EQ(index.Tiles().size(), 2u);
    delete wide;
    ASSERT_EQ(index.Tiles().size(), 1u);
    EXPECT_EQ(index.Tiles().begin()->second.size(), 1u);
    list.RemoveItem(shared);
    EXPECT_TRUE(index.Tiles().empty());
    delete shared;
}

TEST(WorldTileIndex, ClearEmptiesTheMapAndLeavesTheItems) {
    WorldTileIndex index;
    WorldList list(nullptr, 1, &index);
    TestItem* item = ItemOver(0, 0, 100.0f, 200.0f);
    list.AddItem(item);
    index.Clear();
    EXPECT_TRUE(index.Tiles().empty());
    EXPECT_EQ(list.GetItem(0), item);
    index.Insert(nullptr);
    index.Remove(nullptr);
    EXPECT_TRUE(index.GetTileSet(7).empty());
    EXPECT_EQ(index.Tiles().size(), 1u) << "asking for a tile's set enters it";
    list.AddItem(ItemOver(1, 1, 0.0f, 1.0f));
    list.DeleteItems(0, 0);
    EXPECT_TRUE(index.Tiles().empty());
}
