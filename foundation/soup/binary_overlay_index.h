// BinaryOverlayIndex: the hash set over the records of a binary soup's overlay, 97 buckets,
// each a block list of record pointers. A record's bucket is (key XOR region) modulo 97, so
// the removal checks of a scan and the added records of one region are found in one bucket.
// The set only points at records; the overlay owns them and keeps them in place.
#pragma once

#include <cstdint>

#include "foundation/containers/block_array.h"
#include "foundation/soup/binary_overlay_record.h"

class BinaryOverlayIndex {
  public:
    static constexpr uint32_t kBuckets = 97;

    void Insert(ACSOverlayRecord* record);
    // Removes that very record from its bucket; nothing when it is not there.
    void Erase(const ACSOverlayRecord* record);

    // The first record of the bucket of (key, region) with that key and region for which
    // match(record) holds, or null.
    template <class Match>
    ACSOverlayRecord* Find(uint32_t key, uint32_t region, Match match) const {
        const Bucket& bucket = buckets_[BucketOf(key, region)];
        auto at = bucket.FindIf([&](const ACSOverlayRecord* record) {
            return record->key == key && record->region == region && match(*record);
        });
        return at.IsEnd() ? nullptr : *at;
    }

  private:
    using Bucket = BlockArray<ACSOverlayRecord*, 8>;

    static uint32_t BucketOf(uint32_t key, uint32_t region) { return (key ^ region) % kBuckets; }

    Bucket buckets_[kBuckets];
};
