// The view's node interface over its region's packed entries and the file's overlay.
#include "foundation/soup/binary_soup.h"

#include "foundation/soup/binary_file.h"
#include "foundation/soup/container_tag.h"
#include "foundation/soup/data_tag.h"

TDBBinarySoup::TDBBinarySoup(TDBBinaryFile* file, uint32_t start, uint32_t size)
    : TDBBinaryNode(file, BinaryPayload{start, size, 0}) {}

void TDBBinarySoup::RefreshCounts() const {
    const uint64_t generation = file_->OverlayGeneration();
    if (countsValid_ && countsGeneration_ == generation) return;
    livePacked_ = CountLivePacked();
    children_ = livePacked_ + file_->CountAddedEntries(RegionStart());
    countsGeneration_ = generation;
    countsValid_ = true;
}

int32_t TDBBinarySoup::CountChildren() const {
    RefreshCounts();
    return children_;
}

bool TDBBinarySoup::GetIndexedChild(int32_t index, Kiv::PString& name, ACSChunkRef& chunk) const {
    if (index < 0) return ACSChunk::GetIndexedChild(index, name, chunk);
    RefreshCounts();
    if (index >= livePacked_) {
        if (file_->GetAddedEntry(RegionStart(), index - livePacked_, name, chunk)) return true;
        return ACSChunk::GetIndexedChild(index, name, chunk);
    }
    BinaryEntry entry;
    if (!FindEntryByIndex(index, entry)) return ACSChunk::GetIndexedChild(index, name, chunk);
    name = Kiv::PString(entry.name);
    chunk = DecodeEntry(entry);
    return true;
}

ACSChunkRef TDBBinarySoup::GetNamedChunkConst(const Kiv::PString& name) const {
    BinaryEntry entry;
    if (FindEntryByName(name.View(), entry)) return DecodeEntry(entry);
    return file_->FindAddedEntry(RegionStart(), name);
}

ACSChunkRef TDBBinarySoup::GetNamedChunk(const Kiv::PString& name) {
    return GetNamedChunkConst(name);
}

void TDBBinarySoup::AddChild(const Kiv::PString& name, const ACSChunkRef& chunk) {
    if (!chunk.Get() || file_->FindAddedRecord(RegionStart(), chunk)) return;
    file_->AddOverlayRecord(0, RegionStart(), chunk, name);
}

void TDBBinarySoup::RemoveChild(const ACSChunkRef& chunk) {
    if (!chunk.Get() || chunk.IsSameNode(NullChunk())) return;
    if (ACSOverlayRecord* added = file_->FindAddedRecord(RegionStart(), chunk)) {
        file_->EraseOverlayRecord(*added);
        return;
    }
    BinaryPayload payload;
    BinaryEntry entry;
    if (!file_->OwnPayloadOf(chunk.Get(), payload) || !FindEntryByData(payload.offset, entry))
        return;
    file_->AddOverlayRecord(payload.offset, RegionStart(), ACSChunkRef(), Kiv::PString());
}

ACSChunkRef TDBBinarySoup::CreateTag(ACSTagType type, const ACSRawDataRef& data) {
    if (type == ACSTagType::Container) return ACSChunkRef::Adopt(new TDBContainerTag());
    ACSChunkRef tag = ACSChunkRef::Adopt(new TDBDataTag());
    tag->SetData(type, data);
    return tag;
}

ACSChunkRef TDBBinarySoup::DecodeEntry(const BinaryEntry& entry) const {
    return DecodeBinaryPayload(file_, entry.payload);
}
