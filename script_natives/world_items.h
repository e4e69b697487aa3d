// The objects a world list holds. WorldBaseItem is the interface lists and items share (a
// stream state, a tick, notifications); WorldFactoryItem is what an item factory makes,
// known by a 32-bit type code; WorldListItem is an item that sits in one slot of one list.
// Destroying an item takes it out of its list. A process-wide set names the items whose
// slots a list holds back when they leave it.
#pragma once

#include <cstdint>

#include "foundation/kuid/kuid.h"
#include "foundation/results/identifiable_type.h"
#include "script_natives/world_position.h"

class TStream;
class WorldList;

class WorldBaseItem {
  public:
    virtual ~WorldBaseItem() = default;
    virtual void ReadState(TStream&) {}
    virtual void WriteState(TStream&) {}
    virtual void Tick() {}
    virtual int32_t GetFlags() { return 1; }
    virtual void Notify(int32_t, int32_t) {}
    virtual void ReadItemState(TStream&) {}
    virtual void WriteItemState(TStream&) {}
    virtual void LoadState(TStream&) {}
    virtual void SaveState(TStream&) {}
};

class WorldFactoryItem {
  public:
    virtual ~WorldFactoryItem() = default;
    virtual int32_t GetTypeCode() = 0;
};

class WorldListItem : public WorldBaseItem, public WorldFactoryItem, public IdentifiableType {
  public:
    WorldListItem() = default;
    WorldListItem(const WorldListItem&) = delete;
    WorldListItem& operator=(const WorldListItem&) = delete;
    // Leaves the list, then the held-back set.
    ~WorldListItem() override;

    virtual KUID GetKUID() { return KUID::Null(); }
    virtual void OnAdded() {}
    virtual void OnRemoved() {}
    virtual void GetBounds(WorldBounds& bounds) { bounds = WorldBounds(); }

    WorldList* GetList() const { return list_; }
    int32_t GetIndex() const { return index_; }

    // The process-wide set of items whose slot is not handed out again after they leave.
    static void HoldBackSlot(WorldListItem* item);
    static bool IsSlotHeldBack(WorldListItem* item);

  private:
    friend class WorldList;
    WorldList* list_ = nullptr;
    int32_t index_ = -1;
};
