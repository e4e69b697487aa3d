// World lists: slots, cursors, held-back slots, broadcasts and the published current values.
#include "script_natives/world_list.h"

#include "script_natives/world_tile_index.h"

namespace {

int32_t currentListId = -1;
KUID currentItemKUID;
void* currentListOwner = nullptr;

}  // namespace

CurrentWorldRecord::CurrentWorldRecord(int32_t listId, const KUID& kuid, void* owner)
    : listId_(currentListId), kuid_(currentItemKUID), owner_(currentListOwner) {
    currentListId = listId;
    currentItemKUID = kuid;
    currentListOwner = owner;
}

CurrentWorldRecord::~CurrentWorldRecord() {
    currentListId = listId_;
    currentItemKUID = kuid_;
    currentListOwner = owner_;
}

int32_t WorldList::CurrentListId() { return currentListId; }
KUID WorldList::CurrentItemKUID() { return currentItemKUID; }
void* WorldList::CurrentListOwner() { return currentListOwner; }

WorldList::WorldList(void* owner, int32_t listId, WorldTileIndex* tileIndex)
    : owner_(owner), tileIndex_(tileIndex), listId_(listId) {}

WorldList::~WorldList() { Clear(); }

bool WorldList::Matches(WorldListItem* item, int32_t mask, int32_t value) {
    return item && (item->GetFlags() & mask) == (value & mask);
}

void WorldList::TakeSlot(int32_t slot, WorldListItem* item) {
    pages_.Set(slot, item);
    item->list_ = this;
    item->index_ = slot;
    item->OnAdded();
    if (tileIndex_) tileIndex_->Insert(item);
}

int32_t WorldList::AddItem(WorldListItem* item) {
    if (item->list_) return -1;
    int32_t slot = evenCursor_;
    while (slot < slotCount_ && (pages_.Get(slot) || IsHeldBack(slot)))
        slot += 2;
    if (slot >= slotCount_) {
        if (slotCount_ >= kMaxStreamSlot) return -1;
        slot = slotCount_;
        slotCount_ += 2;
    }
    evenCursor_ = slot + 2;
    TakeSlot(slot, item);
    return slot;
}

bool WorldList::AddItemAt(int32_t index, WorldListItem* item) {
    if (item->list_ || index < 0 || index >= kMaxStreamSlot) return false;
    if (index >= slotCount_) slotCount_ = index + 1;
    if (pages_.Get(index)) return false;
    TakeSlot(index, item);
    return true;
}

void WorldList::RemoveItem(WorldListItem* item) {
    if (item->list_ != this) return;
    if (tileIndex_) tileIndex_->Remove(item);
    item->OnRemoved();
    const int32_t slot = item->index_;
    pages_.Set(slot, nullptr);
    item->list_ = nullptr;
    item->index_ = -1;
    if (WorldListItem::IsSlotHeldBack(item)) {
        heldBack_.insert(slot);
        return;
    }
    int32_t& cursor = slot % 2 == 0 ? evenCursor_ : oddCursor_;
    if (slot < cursor) cursor = slot;
}

void WorldList::Clear() {
    if (tileIndex_) tileIndex_->Clear();
    for (int32_t slot = 0; slot < slotCount_; ++slot)
        delete pages_.Get(slot);
    pages_.Free();
    slotCount_ = 0;
    evenCursor_ = 0;
    oddCursor_ = 1;
    heldBack_.clear();
}

void WorldList::Tick() {
    for (int32_t slot = 0; slot < slotCount_; ++slot)
        if (WorldListItem* item = pages_.Get(slot)) item->Tick();
}

void WorldList::Notify(int32_t value, int32_t flags) {
    const int32_t wanted = flags | 1;
    for (int32_t slot = 0; slot < slotCount_; ++slot) {
        WorldListItem* item = pages_.Get(slot);
        if (item && (item->GetFlags() & wanted) == wanted) item->Notify(value, wanted);
    }
}

void WorldList::DeleteItems(int32_t mask, int32_t value) {
    if (mask == 0 && tileIndex_) tileIndex_->Clear();
    for (int32_t slot = 0; slot < slotCount_; ++slot) {
        WorldListItem* item = pages_.Get(slot);
        if (Matches(item, mask, value)) delete item;
    }
}
