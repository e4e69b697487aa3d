// The file's side of the edit overlay. A child that is an entry of this very body is stored
// by its payload, with an uncounted pointer at the node that shows it while that node lives:
// the node is the same one on every access, as a stored node would be, yet the overlay never
// holds a node that holds the file.
#include <utility>

#include "foundation/soup/binary_file.h"
#include "foundation/soup/binary_node.h"
#include "foundation/soup/chunk.h"

namespace {

TDBBinaryNode* BodyNodeOf(const TDBBinaryFile* file, const ACSChunk* chunk) {
    auto* node = dynamic_cast<TDBBinaryNode*>(const_cast<ACSChunk*>(chunk));
    return node && node->File() == file ? node : nullptr;
}

} // namespace

bool TDBBinaryFile::OwnPayloadOf(const ACSChunk* chunk, BinaryPayload& payload) const {
    const TDBBinaryNode* node = BodyNodeOf(this, chunk);
    if (!node) return false;
    payload = node->Payload();
    return true;
}

void TDBBinaryFile::AddOverlayRecord(uint32_t key, uint32_t region, const ACSChunkRef& chunk,
                                     const Kiv::PString& name) {
    ACSOverlayRecord record;
    record.key = key;
    record.region = region;
    record.name = name;
    if (TDBBinaryNode* node = BodyNodeOf(this, chunk.Get())) {
        record.own = node->Payload();
        record.ownNode = node;
        node->MarkHeld();
    } else {
        record.chunk = chunk;
    }
    overlay_.Add(std::move(record));
}

void TDBBinaryFile::EraseOverlayRecord(ACSOverlayRecord& record) {
    overlay_.Erase(record);
}

ACSChunkRef TDBBinaryFile::ChunkOf(const ACSOverlayRecord& record) {
    if (!record.own) return record.chunk;
    if (record.ownNode) return ACSChunkRef::Share(record.ownNode);
    ACSChunkRef node = DecodeBinaryPayload(this, *record.own);
    static_cast<TDBBinaryNode*>(node.Get())->MarkHeld();
    record.ownNode = node.Get();
    return node;
}

ACSChunkRef TDBBinaryFile::FindAddedEntry(uint32_t region, const Kiv::PString& name) {
    const ACSOverlayRecord* found = nullptr;
    overlay_.ForEachAdded(region, [&](const ACSOverlayRecord& record) {
        if (record.name == name) found = &record;
        return !found;
    });
    return found ? ChunkOf(*found) : ACSChunk::NullChunk();
}

int32_t TDBBinaryFile::CountAddedEntries(uint32_t region) const {
    int32_t count = 0;
    overlay_.ForEachAdded(region, [&count](const ACSOverlayRecord&) {
        ++count;
        return true;
    });
    return count;
}

bool TDBBinaryFile::GetAddedEntry(uint32_t region, int32_t n, Kiv::PString& name,
                                  ACSChunkRef& chunk) {
    const ACSOverlayRecord* found = nullptr;
    overlay_.ForEachAdded(region, [&](const ACSOverlayRecord& record) {
        if (n-- == 0) found = &record;
        return !found;
    });
    if (!found) return false;
    name = found->name;
    chunk = ChunkOf(*found);
    return true;
}

ACSOverlayRecord* TDBBinaryFile::FindAddedRecord(uint32_t region, const ACSChunkRef& chunk) {
    const ACSChunk* node = chunk.Get();
    if (!node) return nullptr;
    return overlay_.FindAdded(region, [node](const ACSOverlayRecord& record) {
        return record.chunk.Get() == node || record.ownNode == node;
    });
}
