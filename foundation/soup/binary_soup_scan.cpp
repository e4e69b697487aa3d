// The view's walks over its packed entries. Entries the overlay removed from this region
// are skipped (the lookup is made only once the file was edited). Indexed lookups resume
// from the last entry found, so reading the children in order costs one walk; name lookups
// after the first go through an index of the region's names, made in one walk.
#include "foundation/soup/binary_file.h"
#include "foundation/soup/binary_soup.h"

namespace {

// Regions smaller than this are scanned for every name: an index would cost more.
constexpr uint32_t kIndexedRegionSize = 512;

} // namespace

template <class Found>
bool TDBBinarySoup::Scan(BinaryEntryWalk& walk, int32_t liveIndex, Found found) const {
    const bool edited = file_->IsEdited();
    BinaryEntry entry;
    while (walk.Next(entry)) {
        if (edited && file_->IsRemoved(entry.payload.offset, RegionStart())) continue;
        if (found(entry, liveIndex)) return true;
        ++liveIndex;
    }
    return false;
}

int32_t TDBBinarySoup::CountLivePacked() const {
    BinaryEntryWalk walk(file_->Body(), RegionStart(), RegionSize());
    int32_t count = 0;
    Scan(walk, 0, [&count](const BinaryEntry&, int32_t) {
        ++count;
        return false;
    });
    return walk.Damaged() ? 0 : count;
}

bool TDBBinarySoup::FindEntryByIndex(int32_t index, BinaryEntry& entry) const {
    if (index < 0) return false;
    const uint64_t generation = file_->OverlayGeneration();
    BinaryEntryWalk walk(file_->Body(), RegionStart(), RegionSize());
    int32_t from = 0;
    if (cursorIndex_ >= 0 && cursorIndex_ <= index && cursorGeneration_ == generation) {
        walk.Resume(cursorOffset_);
        from = cursorIndex_;
    }
    const bool found = Scan(walk, from, [&](const BinaryEntry& candidate, int32_t live) {
        if (live != index) return false;
        entry = candidate;
        return true;
    });
    if (!found) return false;
    cursorIndex_ = index;
    cursorOffset_ = entry.offset;
    cursorGeneration_ = generation;
    return true;
}

bool TDBBinarySoup::FindEntryByName(std::string_view name, BinaryEntry& entry) const {
    BinaryEntryWalk walk(file_->Body(), RegionStart(), RegionSize());
    const bool indexed = RegionSize() >= kIndexedRegionSize &&
                         namedLookups_.fetch_add(1, std::memory_order_relaxed) > 0;
    if (indexed) {
        uint32_t offset = 0;
        if (!FindIndexedName(name, offset)) return false;
        walk.Resume(offset);
        return walk.Next(entry);
    }
    return Scan(walk, 0, [&](const BinaryEntry& candidate, int32_t) {
        if (candidate.name != name) return false;
        entry = candidate;
        return true;
    });
}

bool TDBBinarySoup::FindIndexedName(std::string_view name, uint32_t& offset) const {
    const uint64_t generation = file_->OverlayGeneration();
    const std::lock_guard<std::mutex> guard(nameIndexLock_);
    if (!nameIndex_ || nameIndex_->generation != generation) {
        auto index = std::make_unique<NameIndex>();
        index->generation = generation;
        BinaryEntryWalk walk(file_->Body(), RegionStart(), RegionSize());
        Scan(walk, 0, [&index](const BinaryEntry& candidate, int32_t) {
            index->firstOffset.try_emplace(candidate.name, candidate.offset);
            return false;
        });
        nameIndex_ = std::move(index);
    }
    const auto found = nameIndex_->firstOffset.find(name);
    if (found == nameIndex_->firstOffset.end()) return false;
    offset = found->second;
    return true;
}

bool TDBBinarySoup::FindEntryByData(uint32_t payloadOffset, BinaryEntry& entry) const {
    BinaryEntryWalk walk(file_->Body(), RegionStart(), RegionSize());
    return Scan(walk, 0, [&](const BinaryEntry& candidate, int32_t) {
        if (candidate.payload.offset != payloadOffset) return false;
        entry = candidate;
        return true;
    });
}
