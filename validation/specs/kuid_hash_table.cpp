// KUIDHashTable: bucket choice, insertion, erasure, look-up and iteration.
#include "validation/specs/kuid_hash_table.h"

#include <algorithm>

#include "validation/specs/gizmorix_spec.h"

uint32_t KUIDHashTable::BucketOf(const KUID& kuid) {
    const uint32_t hash = (static_cast<uint32_t>(kuid.contentId) << 5) ^
                          static_cast<uint32_t>(kuid.version) ^ static_cast<uint32_t>(kuid.userId);
    return hash % kBucketCount;
}

GizmorixSpec* KUIDHashTable::Iterator::operator*() const {
    return table_->buckets_[bucket_][block_].entries[entry_];
}

KUIDHashTable::Iterator& KUIDHashTable::Iterator::operator++() {
    ++entry_;
    SettleForward();
    return *this;
}

void KUIDHashTable::Iterator::SettleForward() {
    while (bucket_ < kBucketCount) {
        const Bucket& bucket = table_->buckets_[bucket_];
        while (block_ < bucket.size() && entry_ >= bucket[block_].count) {
            ++block_;
            entry_ = 0;
        }
        if (block_ < bucket.size()) return;
        ++bucket_;
        block_ = 0;
        entry_ = 0;
    }
    *this = table_->End();
}

KUIDHashTable::Iterator KUIDHashTable::Insert(GizmorixSpec* spec) {
    const uint32_t index = BucketOf(spec->GetKUID());
    Bucket& bucket = buckets_[index];
    if (bucket.empty() || bucket.back().count == kBlockSize) bucket.emplace_back();
    Block& block = bucket.back();
    block.entries[block.count++] = spec;
    ++count_;
    return Iterator(this, index, bucket.size() - 1, block.count - 1);
}

KUIDHashTable::Iterator KUIDHashTable::EraseAt(Iterator position) {
    if (position == End()) return position;
    Bucket& bucket = buckets_[position.bucket_];
    Block& block = bucket[position.block_];
    std::copy(block.entries.begin() + static_cast<std::ptrdiff_t>(position.entry_) + 1,
              block.entries.begin() + static_cast<std::ptrdiff_t>(block.count),
              block.entries.begin() + static_cast<std::ptrdiff_t>(position.entry_));
    block.entries[--block.count] = nullptr;
    --count_;
    if (block.count == 0) {
        bucket.erase(bucket.begin() + static_cast<std::ptrdiff_t>(position.block_));
        position.entry_ = 0;
    }
    position.SettleForward();
    return position;
}

KUIDHashTable::Iterator KUIDHashTable::Find(const KUID& kuid) const {
    const uint32_t index = BucketOf(kuid);
    const Bucket& bucket = buckets_[index];
    for (size_t block = 0; block < bucket.size(); ++block) {
        for (size_t entry = 0; entry < bucket[block].count; ++entry) {
            if (bucket[block].entries[entry]->GetKUID() == kuid)
                return Iterator(this, index, block, entry);
        }
    }
    return End();
}

void KUIDHashTable::FreeBuckets() {
    for (Bucket& bucket : buckets_) Bucket().swap(bucket);
    count_ = 0;
}

KUIDHashTable::Iterator KUIDHashTable::Begin() const {
    Iterator first(this, 0, 0, 0);
    first.SettleForward();
    return first;
}
