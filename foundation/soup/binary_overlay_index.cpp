// The overlay index's bucket lists.
#include "foundation/soup/binary_overlay_index.h"

void BinaryOverlayIndex::Insert(ACSOverlayRecord* record) {
    buckets_[BucketOf(record->key, record->region)].PushBack(record);
}

void BinaryOverlayIndex::Erase(const ACSOverlayRecord* record) {
    Bucket& bucket = buckets_[BucketOf(record->key, record->region)];
    bucket.Erase(bucket.FindIf([record](const ACSOverlayRecord* held) { return held == record; }));
}
