// Utils::HashChains<Entry>: the bucket array under the program's intrusive hash tables
// (Utils::HashTable of IHashNode objects; UIntHashTable and the string map of key/value
// entries). Each bucket holds a chain kept sorted by key, linked through the entries' own
// `next` fields, so a lookup stops at the first larger key. An iterator stands on the link
// that points to its entry (a bucket cell or the previous entry's next), which lets it
// unlink that entry in place.
#pragma once

#include <cstdint>
#include <cstring>

#include "foundation/utils/raw_memory.h"

namespace Utils {

template <class Entry> class HashChains {
  public:
    class Iterator {
      public:
        // The entry the iterator stands on, or null at the end.
        Entry* Current() const { return slot_ ? *slot_ : nullptr; }
        bool AtEnd() const { return slot_ == nullptr && bucket_ == -1; }

        // Moves to the following entry: along the chain, else to the next non-empty
        // bucket. False at the end (and for an iterator that never began).
        bool Next() {
            if (!table_ || bucket_ < 0) return false;
            Entry* current = *slot_;
            if (current && current->next) {
                slot_ = &current->next;
                return true;
            }
            return NextBucket();
        }

      private:
        friend class HashChains;

        bool NextBucket() {
            for (uint32_t b = static_cast<uint32_t>(bucket_) + 1; b < table_->bucketCount_; ++b) {
                if (table_->buckets_[b]) {
                    slot_ = &table_->buckets_[b];
                    bucket_ = static_cast<int32_t>(b);
                    return true;
                }
            }
            slot_ = nullptr;
            bucket_ = -1;
            return false;
        }

        Entry** slot_ = nullptr;
        const HashChains* table_ = nullptr;
        int32_t bucket_ = -1;
    };

    HashChains() = default;
    ~HashChains() { FreeBuckets(); }
    HashChains(const HashChains&) = delete;
    HashChains& operator=(const HashChains&) = delete;

    // Replaces any bucket array by `count` empty buckets; false (no buckets) when they
    // cannot be had.
    bool AllocateBuckets(uint32_t count) {
        FreeBuckets();
        if (count == 0) return false;
        buckets_ = static_cast<Entry**>(AllocRaw(size_t{count} * sizeof(Entry*)));
        if (!buckets_) return false;
        std::memset(static_cast<void*>(buckets_), 0, size_t{count} * sizeof(Entry*));
        bucketCount_ = count;
        return true;
    }

    // Zeroes and frees the bucket array; the entries are left alone.
    void FreeBuckets() {
        if (buckets_) std::memset(static_cast<void*>(buckets_), 0, size_t{bucketCount_} * sizeof(Entry*));
        FreeRaw(buckets_);
        buckets_ = nullptr;
        bucketCount_ = 0;
        entryCount_ = 0;
    }

    // The iterator on the first entry of the lowest non-empty bucket, or at the end.
    bool Begin(Iterator& it) const {
        it = Iterator();
        if (bucketCount_ == 0) return false;
        it.table_ = this;
        it.bucket_ = 0;
        it.slot_ = &buckets_[0];
        return buckets_[0] ? true : it.NextBucket();
    }

    // Walks bucket b's chain; `order(entry)` is negative while the sought key sorts before
    // the entry, zero when equal. Returns the link where the key is or would go, with
    // `found` telling which.
    template <class Order> Entry** Locate(uint32_t b, Order order, bool& found) {
        Entry** slot = &buckets_[b];
        found = false;
        for (; *slot; slot = &(*slot)->next) {
            const int32_t c = order(*slot);
            if (c == 0) found = true;
            if (c <= 0) break;
        }
        return slot;
    }

    // Links `entry` at `slot` (a link Locate returned).
    void LinkAt(Entry** slot, Entry* entry) {
        entry->next = *slot;
        *slot = entry;
        ++entryCount_;
    }

    // The link that points to the entry after `previous` in bucket b's chain, or to the
    // chain's first entry when `previous` is null.
    Entry** SlotAfter(uint32_t b, Entry* previous) { return previous ? &previous->next : &buckets_[b]; }

    Iterator IteratorAt(Entry** slot, uint32_t b) const {
        Iterator it;
        it.slot_ = slot;
        it.table_ = this;
        it.bucket_ = static_cast<int32_t>(b);
        return it;
    }

    // Unlinks the entry `it` stands on and moves `it` to its successor; null when `it`
    // belongs to another table or stands at the end.
    Entry* UnlinkAt(Iterator& it) {
        if (it.table_ != this || !it.slot_ || !*it.slot_) return nullptr;
        Entry* entry = *it.slot_;
        *it.slot_ = entry->next;
        entry->next = nullptr;
        --entryCount_;
        if (!*it.slot_) it.NextBucket();
        return entry;
    }

    // Unlinks every entry, buckets from the last to the first and each chain from its
    // head, handing each to `dispose`.
    template <class Dispose> void UnlinkAll(Dispose dispose) {
        for (uint32_t b = bucketCount_; b-- > 0;) {
            Entry* entry = buckets_[b];
            buckets_[b] = nullptr;
            while (entry) {
                Entry* next = entry->next;
                dispose(entry);
                entry = next;
            }
        }
        entryCount_ = 0;
    }

    uint32_t BucketCount() const { return bucketCount_; }
    uint32_t EntryCount() const { return entryCount_; }

  private:
    Entry** buckets_ = nullptr;
    uint32_t bucketCount_ = 0;
    uint32_t entryCount_ = 0;
};

}  // namespace Utils
