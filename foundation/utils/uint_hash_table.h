// Utils::UIntHashTable: a table of (key, value pointer) entries in 97 buckets, for the
// compiler's numeric tables and the router's node-id and type tables. A key picks bucket
// (key >> 1) mod 97, so keys 2k and 2k + 1 share one, and each chain is sorted by ascending
// key. Keys are pointer-sized because the string map keeps its text pointers in the same
// entries; its clearing and iteration are these.
#pragma once

#include <cstdint>

#include "engine/alloc.h"
#include "foundation/utils/hash_chains.h"

namespace Utils {

struct UIntHashEntry {
    uintptr_t key;
    void* value;
    UIntHashEntry* next;
};

class UIntHashTable {
  public:
    static constexpr uint32_t kBucketCount = 97;
    using Iterator = HashChains<UIntHashEntry>::Iterator;

    UIntHashTable() = default;
    virtual ~UIntHashTable() { Release(); }
    UIntHashTable(const UIntHashTable&) = delete;
    UIntHashTable& operator=(const UIntHashTable&) = delete;

    // Clears and frees any previous buckets, then makes 97 empty ones.
    bool Init();
    // False, with the table unchanged, when the key is present, the table has no buckets
    // or the entry cannot be had.
    bool Insert(uintptr_t key, void* value);
    bool Find(uintptr_t key, Iterator& it);
    bool Begin(Iterator& it) const { return chains_.Begin(it); }
    // Unlinks and frees the entry `it` stands on, handing its key back through `key` when
    // given, and moves `it` on; false for a foreign or finished iterator.
    bool EraseAt(uintptr_t* key, Iterator& it);

    // Frees every entry; keys and values are left alone.
    void Clear();
    // Clear, deleting each value as a V.
    template <class V> void ClearDeletingValues() {
        chains_.UnlinkAll([](UIntHashEntry* entry) {
            Kiv::Alloc::Delete(static_cast<V*>(entry->value));
            FreeEntry(entry);
        });
    }
    // Clear, freeing each key's block (owned text copies made with Utils::AllocRaw).
    void ClearDeletingKeys();
    // Clear, then the buckets freed.
    void Release();

    uint32_t BucketCount() const { return chains_.BucketCount(); }
    uint32_t EntryCount() const { return chains_.EntryCount(); }

  private:
    static void FreeEntry(UIntHashEntry* entry);

    HashChains<UIntHashEntry> chains_;
};

}  // namespace Utils
