// The overlay's record list. Only records at the end of the list are ever erased from it,
// so the records the index points at stay where they are.
#include "foundation/soup/binary_overlay.h"

#include <utility>

void BinaryOverlay::Add(ACSOverlayRecord record) {
    record.used = true;
    auto free = records_.FindIf([](const ACSOverlayRecord& held) { return !held.used; });
    ACSOverlayRecord* stored = nullptr;
    if (free.IsEnd()) {
        records_.PushBack(std::move(record));
        auto last = records_.End();
        last.Retreat(1);
        stored = &*last;
    } else {
        *free = std::move(record);
        stored = &*free;
    }
    index_.Insert(stored);
    edited_ = true;
    ++generation_;
}

void BinaryOverlay::Erase(ACSOverlayRecord& record) {
    index_.Erase(&record);
    // What the record held may be the last reference to a subtree: it goes once the list
    // is whole again.
    ACSOverlayRecord released = std::exchange(record, ACSOverlayRecord());
    ++generation_;
    for (auto last = records_.End(); !records_.IsEmpty(); last = records_.End()) {
        last.Retreat(1);
        if (last->used) return;
        records_.Erase(last);
    }
}

bool BinaryOverlay::IsRemoved(uint32_t key, uint32_t region) const {
    if (!edited_ || key == 0) return false;
    return index_.Find(key, region, [](const ACSOverlayRecord&) { return true; }) != nullptr;
}

void BinaryOverlay::ForgetNode(const ACSChunk* node) {
    for (ACSOverlayRecord& record : records_)
        if (record.ownNode == node) record.ownNode = nullptr;
}
