// WorldList: a slot table of world items (the script libraries of a script context, for
// one), addressed by slot index. It hands out even slots from a cursor, keeps an optional
// tile index informed, broadcasts ticks and notifications, and saves and restores its items
// through the list stream (item records made by registered factories, an item-state block)
// and a separate state block. The list owns its items: Clear and DeleteItems delete them.
// Slots read from a stream are bounded (kMaxStreamSlot), so a hostile stream cannot grow
// the table without end. While one item record is read or written, the list id, the
// item's KUID and the list's owner are published as the "current" values.
#pragma once

#include <cstdint>
#include <set>

#include "foundation/kuid/kuid.h"
#include "script_natives/world_items.h"
#include "script_natives/world_slot_pages.h"

class TStream;
class WorldTileIndex;

class WorldList : public WorldBaseItem {
  public:
    static constexpr int32_t kStreamVersion = 5;
    static constexpr uint32_t kBlockMarker = 0xFEEDCEEB;
    static constexpr uint32_t kMaxPayloadLength = 0xFFFFFF;
    // Slots at or above this, from a stream or AddItemAt, are refused.
    static constexpr int32_t kMaxStreamSlot = 1 << 20;
    // Write's value bit that asks for the item states.
    static constexpr int32_t kItemStateFlag = 4;
    // The only item type the state block carries.
    static constexpr int32_t kStateItemType = 0x6A6E4F62; // 'jnOb'
    // The type code of an item-state entry in a block without a version.
    static constexpr int32_t kBlankTypeCode = 0x20202020;

    WorldList(void* owner, int32_t listId, WorldTileIndex* tileIndex);
    WorldList(const WorldList&) = delete;
    WorldList& operator=(const WorldList&) = delete;
    ~WorldList() override;

    // The first free even slot, or -1 when the item is in a list already.
    int32_t AddItem(WorldListItem* item);
    bool AddItemAt(int32_t index, WorldListItem* item);
    void RemoveItem(WorldListItem* item);
    // Deletes every item and resets the table.
    void Clear();

    void Tick() override;
    void Notify(int32_t value, int32_t flags) override;
    void LoadState(TStream& stream) override;
    void SaveState(TStream& stream) override;

    // True when the stream was read to its end; false when the read stopped at a bad
    // version, length, slot, an unknown factory (version 2) or a truncated payload.
    virtual bool Read(TStream& stream, bool clearFirst, int32_t stateFlags);
    virtual void Write(TStream& stream, int32_t mask, int32_t value);
    virtual void DeleteItems(int32_t mask, int32_t value);

    WorldListItem* GetItem(int32_t slot) const { return slot < slotCount_ ? pages_.Get(slot) : nullptr; }
    int32_t GetSlotCount() const { return slotCount_; }
    int32_t GetListId() const { return listId_; }
    void* GetOwner() const { return owner_; }
    bool IsHeldBack(int32_t slot) const { return heldBack_.count(slot) != 0; }

    // The values published while an item record is read or written.
    static int32_t CurrentListId();
    static KUID CurrentItemKUID();
    static void* CurrentListOwner();

  private:
    friend class WorldListReader;
    static bool Matches(WorldListItem* item, int32_t mask, int32_t value);
    void TakeSlot(int32_t slot, WorldListItem* item);
    void WriteItemRecords(TStream& stream, int32_t mask, int32_t value);
    void WriteItemStates(TStream& stream, int32_t mask, int32_t value);

    WorldSlotPages pages_;
    int32_t slotCount_ = 0;
    void* owner_;
    WorldTileIndex* tileIndex_;
    int32_t listId_;
    int32_t evenCursor_ = 0;
    int32_t oddCursor_ = 1;
    std::set<int32_t> heldBack_;
};

// Publishes the current values for one item record and restores the previous ones when it
// goes, so a payload that holds a list of its own leaves the outer values intact.
class CurrentWorldRecord {
  public:
    CurrentWorldRecord(int32_t listId, const KUID& kuid, void* owner);
    CurrentWorldRecord(const CurrentWorldRecord&) = delete;
    CurrentWorldRecord& operator=(const CurrentWorldRecord&) = delete;
    ~CurrentWorldRecord();

  private:
    int32_t listId_;
    KUID kuid_;
    void* owner_;
};
