// Writing a world list: the version-5 list stream (item records, then the item-state
// block) and the state block. Every length is written as a placeholder and patched to the
// bytes that follow it.
#include "script_natives/world_list.h"

#include "foundation/streams/t_stream.h"

void WorldList::Write(TStream& stream, int32_t mask, int32_t value) {
    stream.WriteInt32(kStreamVersion);
    stream.WriteInt32(listId_);
    WriteItemRecords(stream, mask, value);
    WriteItemStates(stream, mask, value);
}

void WorldList::WriteItemRecords(TStream& stream, int32_t mask, int32_t value) {
    for (int32_t slot = 0; slot < slotCount_; ++slot) {
        WorldListItem* item = pages_.Get(slot);
        if (!Matches(item, mask, value)) continue;
        stream.WriteInt32(slot);
        stream.WriteInt32(item->GetTypeCode());
        const KUID kuid = item->GetKUID();
        kuid.WriteBinary(stream);
        const int64_t length = stream.WritePlaceholder();
        {
            CurrentWorldRecord current(listId_, kuid, owner_);
            item->WriteState(stream);
        }
        stream.PatchLength(length);
    }
    stream.WriteInt32(-1);
}

void WorldList::WriteItemStates(TStream& stream, int32_t mask, int32_t value) {
    const int64_t blockLength = stream.WritePlaceholder();
    stream.WriteUInt32(kBlockMarker);
    stream.WriteInt32(kStreamVersion);
    stream.WriteInt32(listId_);
    if ((value & mask) & kItemStateFlag) {
        for (int32_t slot = 0; slot < slotCount_; ++slot) {
            WorldListItem* item = pages_.Get(slot);
            if (!Matches(item, mask, value)) continue;
            stream.WriteInt32(slot);
            stream.WriteInt32(item->GetTypeCode());
            const int64_t length = stream.WritePlaceholder();
            item->WriteItemState(stream);
            stream.PatchLength(length);
        }
    }
    stream.WriteInt32(-1);
    stream.PatchLength(blockLength);
}

void WorldList::SaveState(TStream& stream) {
    const int64_t blockLength = stream.WritePlaceholder();
    stream.WriteUInt32(kBlockMarker);
    stream.WriteInt32(1);
    for (int32_t slot = 0; slot < slotCount_; ++slot) {
        WorldListItem* item = pages_.Get(slot);
        if (!item || item->GetTypeCode() != kStateItemType) continue;
        stream.WriteInt32(slot);
        const int64_t length = stream.WritePlaceholder();
        item->SaveState(stream);
        stream.PatchLength(length);
    }
    stream.WriteInt32(-1);
    stream.PatchLength(blockLength);
}
