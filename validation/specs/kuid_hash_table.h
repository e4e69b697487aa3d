// KUIDHashTable: the spec manager's index of specs by KUID. 4093 buckets (a prime, not a
// power of two); a KUID's bucket is ((content << 5) xor version xor user) as an unsigned
// 32-bit value, modulo 4093. A bucket is a list of blocks of 13 spec pointers kept in
// insertion order; an entry's key is the KUID its spec holds. Iterators step through the
// entries bucket by bucket. Entries are not owned.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/kuid/kuid.h"

class GizmorixSpec;

class KUIDHashTable {
  public:
    static constexpr uint32_t kBucketCount = 4093;
    static constexpr size_t kBlockSize = 13;

    struct Block {
        std::array<GizmorixSpec*, kBlockSize> entries{};
        size_t count = 0;
    };
    using Bucket = std::vector<Block>;

    class Iterator {
      public:
        GizmorixSpec* operator*() const;
        Iterator& operator++();
        bool operator==(const Iterator& other) const = default;
        uint32_t BucketIndex() const { return bucket_; }

      private:
        friend class KUIDHashTable;
        Iterator(const KUIDHashTable* table, uint32_t bucket, size_t block, size_t entry)
            : table_(table), bucket_(bucket), block_(block), entry_(entry) {}
        // Moves forward to the first entry at or after the position (or to the end).
        void SettleForward();

        const KUIDHashTable* table_;
        uint32_t bucket_;
        size_t block_;
        size_t entry_;
    };

    KUIDHashTable() : buckets_(kBucketCount) {}
    ~KUIDHashTable() { FreeBuckets(); }
    KUIDHashTable(const KUIDHashTable&) = delete;
    KUIDHashTable& operator=(const KUIDHashTable&) = delete;

    static uint32_t BucketOf(const KUID& kuid);

    // Appends spec to its bucket's last block; the iterator points at the new entry.
    Iterator Insert(GizmorixSpec* spec);
    // Removes the entry, shifting the rest of its block down and freeing a block left
    // empty; gives the position after it.
    Iterator EraseAt(Iterator position);
    // The first entry whose spec has that KUID (all three words), or End.
    Iterator Find(const KUID& kuid) const;
    // Destroys every bucket; the table is empty (and stays usable) afterwards.
    void FreeBuckets();

    Iterator Begin() const;
    Iterator End() const { return Iterator(this, kBucketCount, 0, 0); }
    size_t Count() const { return count_; }

  private:
    std::vector<Bucket> buckets_;
    size_t count_ = 0;
};
