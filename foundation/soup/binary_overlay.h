// BinaryOverlay: the edits of one binary soup body, recorded beside it since the body itself
// never changes. Records sit in a block list (a freed record is reused before the list
// grows, so records never move) and are indexed by BinaryOverlayIndex. The generation
// counts every edit, so a view can tell whether what it cached is still current.
#pragma once

#include <cstdint>

#include "foundation/containers/block_array.h"
#include "foundation/soup/binary_overlay_index.h"
#include "foundation/soup/binary_overlay_record.h"

class BinaryOverlay {
  public:
    // Stores the record in the first free record of the list (else a new one at the end),
    // indexes it and marks the body edited.
    void Add(ACSOverlayRecord record);
    // Unindexes the record, releases what it holds and frees it, then drops free records
    // from the end of the list.
    void Erase(ACSOverlayRecord& record);

    // Set with the first record; while it is clear no lookup is made.
    bool IsEdited() const { return edited_; }
    uint64_t Generation() const { return generation_; }

    // Clears every record's pointer at that node, which is going.
    void ForgetNode(const ACSChunk* node);

    // A removed record of that payload offset and region exists.
    bool IsRemoved(uint32_t key, uint32_t region) const;
    // An added record of the region for which match(record) holds, or null.
    template <class Match> ACSOverlayRecord* FindAdded(uint32_t region, Match match) const {
        if (!edited_) return nullptr;
        return index_.Find(0, region, match);
    }
    // Visits the added records of the region in list order until visit returns false.
    template <class Visit> void ForEachAdded(uint32_t region, Visit visit) const {
        if (!edited_) return;
        for (const ACSOverlayRecord& record : records_)
            if (record.IsAdded() && record.region == region && !visit(record)) return;
    }

  private:
    BlockArray<ACSOverlayRecord, 16> records_;
    BinaryOverlayIndex index_;
    bool edited_ = false;
    uint64_t generation_ = 0;
};
