// Reading a world list: the list stream of versions 1 to 5 (item records, then the
// item-state block of versions 4 and 5) and the state block. Every slot, length and block
// end is checked against what the list and the stream allow before it is used; payloads
// are read through windows onto the stream, so an item cannot read past its own bytes.
#include "foundation/streams/t_stream.h"
#include "foundation/streams/t_sub_file.h"
#include "script_natives/world_item_factory.h"
#include "script_natives/world_list.h"

namespace {

enum class RecordStep { kNext, kEnd, kFail };

// A slot read from a stream that no list may take (-1 is the end marker, never passed here).
bool IsHostileSlot(int32_t slot) { return slot < -1 || slot >= WorldList::kMaxStreamSlot; }

}  // namespace

// One read of one list: the list's id is replaced by the stream's for as long as the read
// runs and restored on every path.
class WorldListReader {
  public:
    WorldListReader(WorldList& list, TStream& stream)
        : list_(list), stream_(stream), savedListId_(list.listId_) {}
    ~WorldListReader() { list_.listId_ = savedListId_; }

    bool Read(int32_t stateFlags);
    void LoadState();

  private:
    // The next slot; false at the end marker or a failed read.
    bool ReadSlot(int32_t& slot) { return stream_.ReadInt32(slot, -1) && slot != -1; }
    RecordStep ReadRecord(int32_t version);
    RecordStep ReadOldRecord(int32_t slot, int32_t typeCode);
    RecordStep ReadWindowedRecord(int32_t slot, int32_t typeCode);
    // The item that takes the slot: made by the factory from the stream and put at the
    // slot, or null (a result that is no list item, or a refused slot, is deleted).
    WorldListItem* MakeItem(int32_t slot, WorldFactoryItem* made, bool& madeNothing);
    WorldListItem* MatchingItem(int32_t slot, int32_t typeCode) const;
    bool ReadItemStates(bool apply);
    bool ReadItemStateEntries(int64_t blockStart, int64_t blockEnd);
    void ReadStateEntries(int64_t blockEnd, bool apply);

    WorldList& list_;
    TStream& stream_;
    const int32_t savedListId_;
};

bool WorldList::Read(TStream& stream, bool clearFirst, int32_t stateFlags) {
    if (clearFirst) Clear();
    return WorldListReader(*this, stream).Read(stateFlags);
}

void WorldList::LoadState(TStream& stream) { WorldListReader(*this, stream).LoadState(); }

bool WorldListReader::Read(int32_t stateFlags) {
    int32_t version = 0;
    if (!stream_.ReadInt32(version, 0) || version < 1 || version > WorldList::kStreamVersion)
        return false;
    if (version == 5) stream_.ReadInt32(list_.listId_, list_.listId_);
    if (version >= 2) {
        for (RecordStep step = RecordStep::kNext; step != RecordStep::kEnd;) {
            step = ReadRecord(version);
            if (step == RecordStep::kFail) return false;
        }
    }
    if (version < 4) return true;
    return ReadItemStates((stateFlags & WorldList::kItemStateFlag) != 0);
}

WorldListItem* WorldListReader::MatchingItem(int32_t slot, int32_t typeCode) const {
    WorldListItem* item = list_.GetItem(slot);
    return item && item->GetTypeCode() == typeCode ? item : nullptr;
}

RecordStep WorldListReader::ReadRecord(int32_t version) {
    int32_t slot = -1;
    if (!ReadSlot(slot)) return RecordStep::kEnd;
    if (IsHostileSlot(slot)) return RecordStep::kFail;
    int32_t typeCode = 0;
    if (!stream_.ReadInt32(typeCode, 0)) return RecordStep::kEnd;
    return version == 2 ? ReadOldRecord(slot, typeCode) : ReadWindowedRecord(slot, typeCode);
}

WorldListItem* WorldListReader::MakeItem(int32_t slot, WorldFactoryItem* made, bool& madeNothing) {
    WorldListItem* item = dynamic_cast<WorldListItem*>(made);
    madeNothing = item == nullptr;
    if (!item) {
        delete made;
        return nullptr;
    }
    if (list_.AddItemAt(slot, item)) return item;
    delete item;
    return nullptr;
}

RecordStep WorldListReader::ReadOldRecord(int32_t slot, int32_t typeCode) {
    if (WorldListItem* item = MatchingItem(slot, typeCode)) {
        item->ReadState(stream_);
        return RecordStep::kNext;
    }
    delete list_.GetItem(slot);
    bool madeNothing = false;
    MakeItem(slot, WorldItemFactory::Create(typeCode, list_.owner_, stream_), madeNothing);
    return madeNothing ? RecordStep::kFail : RecordStep::kNext;
}

RecordStep WorldListReader::ReadWindowedRecord(int32_t slot, int32_t typeCode) {
    const KUID kuid = KUID::ReadBinary(stream_);
    uint32_t length = 0;
    if (!stream_.ReadUInt32(length, 0)) return RecordStep::kEnd;
    if (length > WorldList::kMaxPayloadLength) return RecordStep::kFail;
    const int64_t start = stream_.Tell();
    const int64_t end = start + length;
    WorldListItem* made = nullptr;
    {
        CurrentWorldRecord current(list_.listId_, kuid, list_.owner_);
        TSubFile window(&stream_, start, end);
        if (WorldListItem* item = MatchingItem(slot, typeCode)) {
            item->ReadState(window);
        } else {
            delete list_.GetItem(slot);
            bool madeNothing = false;
            made = MakeItem(slot, WorldItemFactory::Create(typeCode, list_.owner_, window), madeNothing);
        }
    }
    stream_.MoveTo(end);
    if (stream_.Tell() != end || end > stream_.Size()) {
        delete made;
        return RecordStep::kFail;
    }
    return RecordStep::kNext;
}

bool WorldListReader::ReadItemStates(bool apply) {
    uint32_t length = 0;
    if (!stream_.ReadUInt32(length, 0)) return true;
    const int64_t blockStart = stream_.Tell();
    const int64_t blockEnd = blockStart + length;
    const bool read = !apply || ReadItemStateEntries(blockStart, blockEnd);
    stream_.MoveTo(blockEnd);
    return read;
}

bool WorldListReader::ReadItemStateEntries(int64_t blockStart, int64_t blockEnd) {
    uint32_t marker = 0;
    uint32_t version = 0;
    if (!stream_.ReadUInt32(marker, 0)) return true;
    if (marker == WorldList::kBlockMarker)
        stream_.ReadUInt32(version, 0);
    else
        stream_.MoveTo(blockStart);
    if (version > 5) return true;
    if (version >= 2) stream_.ReadInt32(list_.listId_, list_.listId_);
    for (int32_t slot = -1; ReadSlot(slot);) {
        if (IsHostileSlot(slot)) return false;
        int32_t typeCode = WorldList::kBlankTypeCode;
        if (version != 0 && !stream_.ReadInt32(typeCode, 0)) return true;
        uint32_t length = 0;
        if (slot >= list_.slotCount_ || !stream_.ReadUInt32(length, 0)) return true;
        if (length == WorldList::kBlockMarker || length == 0xFFFFFFFFu) return true;
        const int64_t entryStart = stream_.Tell();
        const int64_t entryEnd = entryStart + length;
        if (entryEnd > blockEnd) return true;
        if (WorldListItem* item = MatchingItem(slot, typeCode)) {
            TSubFile window(&stream_, entryStart, entryEnd);
            item->ReadItemState(window);
        }
        stream_.MoveTo(entryEnd);
    }
    return true;
}

void WorldListReader::LoadState() {
    uint32_t length = 0;
    if (!stream_.ReadUInt32(length, 0)) return;
    const int64_t blockStart = stream_.Tell();
    const int64_t blockEnd = blockStart + length;
    // An unpatched block has no known end: its entries are walked, none applied, and the
    // stream stays after them.
    const bool patched = length != WorldList::kBlockMarker;
    uint32_t marker = 0;
    int32_t version = -1;
    stream_.ReadUInt32(marker, 0);
    stream_.ReadInt32(version, -1);
    if (marker == WorldList::kBlockMarker && (version == 0 || version == 1))
        ReadStateEntries(blockEnd, patched);
    if (patched) stream_.MoveTo(blockEnd);
}

void WorldListReader::ReadStateEntries(int64_t blockEnd, bool apply) {
    for (int32_t slot = -1; ReadSlot(slot);) {
        if (IsHostileSlot(slot) || slot >= list_.slotCount_) return;
        uint32_t length = 0;
        if (!stream_.ReadUInt32(length, 0)) return;
        const int64_t entryStart = stream_.Tell();
        const int64_t entryEnd = entryStart + length;
        if (entryEnd > blockEnd) return;
        WorldListItem* item = MatchingItem(slot, WorldList::kStateItemType);
        if (apply && item) {
            TSubFile window(&stream_, entryStart, entryEnd);
            item->LoadState(window);
        }
        stream_.MoveTo(entryEnd);
    }
}
