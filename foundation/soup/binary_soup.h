// TDBBinarySoup: a lazy view of one region of a binary soup body, a container (type 1) made
// afresh on every access. Children are the live packed entries in file order (those the
// overlay has not removed), then the children added to this region, in overlay order. What
// a view caches (its counts, where its last indexed entry lies) is stamped with the overlay
// generation, so an edit made through any view of the region is seen by all of them. A
// view asked for names more than once indexes its region's names, so a walk that looks every
// child up by name reads the region once; views may be read from several threads, so the
// index is built and read under a lock of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "foundation/soup/binary_node.h"

class TDBBinarySoup : public TDBBinaryNode {
  public:
    // The region lies inside the file's validated body.
    TDBBinarySoup(TDBBinaryFile* file, uint32_t start, uint32_t size);

    ACSChunkRef GetNamedChunkConst(const Kiv::PString& name) const override;
    ACSChunkRef GetNamedChunk(const Kiv::PString& name) override;
    int32_t CountChildren() const override;
    bool GetIndexedChild(int32_t index, Kiv::PString& name, ACSChunkRef& chunk) const override;
    // Ignores a null reference and a node this region already holds as an added child.
    void AddChild(const Kiv::PString& name, const ACSChunkRef& chunk) override;
    // An added child goes from the overlay; a packed entry of this region (a node of the
    // same file showing it) is recorded as removed.
    void RemoveChild(const ACSChunkRef& chunk) override;
    // In-memory nodes, as an in-memory container makes them.
    ACSChunkRef CreateTag(ACSTagType type, const ACSRawDataRef& data) override;
    ACSTagType GetType() const override { return ACSTagType::Container; }

    // The packed-entry scans; removed entries are skipped and not counted. A region that
    // does not walk to its end counts no live entry.
    bool FindEntryByIndex(int32_t index, BinaryEntry& entry) const;
    bool FindEntryByName(std::string_view name, BinaryEntry& entry) const;
    bool FindEntryByData(uint32_t payloadOffset, BinaryEntry& entry) const;
    ACSChunkRef DecodeEntry(const BinaryEntry& entry) const;

    uint32_t RegionStart() const { return payload_.offset; }
    uint32_t RegionSize() const { return payload_.size; }

  private:
    // Calls found(entry, liveIndex) for each live entry from the walk's position until it
    // returns true; false when none did or the region is damaged.
    template <class Found> bool Scan(BinaryEntryWalk& walk, int32_t liveIndex, Found found) const;
    int32_t CountLivePacked() const;
    // The first live entry of each name and the overlay generation it was taken at.
    struct NameIndex {
        uint64_t generation = 0;
        std::unordered_map<std::string_view, uint32_t> firstOffset;
    };
    // The offset of the first live entry of that name through the index, brought up to the
    // overlay's generation first; false when there is none.
    bool FindIndexedName(std::string_view name, uint32_t& offset) const;
    // Brings the cached counts up to the overlay's generation.
    void RefreshCounts() const;

    // The counts, valid while countsValid_ and their generation is the overlay's.
    mutable bool countsValid_ = false;
    mutable uint64_t countsGeneration_ = 0;
    mutable int32_t livePacked_ = 0;
    mutable int32_t children_ = 0;
    // The last entry found by index (its live index and offset), valid while cursorIndex_
    // is not negative and its generation is the overlay's: a walk through the children in
    // order reads the region once.
    mutable int32_t cursorIndex_ = -1;
    mutable uint64_t cursorGeneration_ = 0;
    mutable uint32_t cursorOffset_ = 0;
    // Lookups by name so far, and the index that the second one builds.
    mutable std::atomic<uint32_t> namedLookups_{0};
    mutable std::mutex nameIndexLock_;
    mutable std::unique_ptr<NameIndex> nameIndex_;
};
