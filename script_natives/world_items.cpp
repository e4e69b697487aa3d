// World items: leaving the list on destruction, and the process-wide held-back set.
#include "script_natives/world_items.h"

#include <mutex>
#include <set>

#include "script_natives/world_list.h"

namespace {

std::mutex& HeldBackLock() {
    static std::mutex lock;
    return lock;
}
std::set<WorldListItem*>& HeldBackItems() {
    static std::set<WorldListItem*> items;
    return items;
}

}  // namespace

WorldListItem::~WorldListItem() {
    if (list_) list_->RemoveItem(this);
    std::lock_guard<std::mutex> guard(HeldBackLock());
    HeldBackItems().erase(this);
}

void WorldListItem::HoldBackSlot(WorldListItem* item) {
    std::lock_guard<std::mutex> guard(HeldBackLock());
    HeldBackItems().insert(item);
}

bool WorldListItem::IsSlotHeldBack(WorldListItem* item) {
    std::lock_guard<std::mutex> guard(HeldBackLock());
    return HeldBackItems().count(item) != 0;
}
