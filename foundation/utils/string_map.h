// Utils::StringMap: a hash map from texts to signed 32-bit values (the library string table,
// the runtime's name maps). Keys are the caller's text pointers and are not copied. A key
// hashes as h = h * 3 + c over its bytes taken as signed chars, in 32-bit unsigned
// arithmetic; each bucket's chain stays in ascending strcmp order, so iteration order is
// bucket by bucket, then by key, and a lookup stops at the first larger key. An ordered map
// keeps a search tree of its entries beside the chains, in the same order, so that placing
// a new key in a map of many keys costs a logarithm rather than a walk along a long chain,
// and an index of the tree's places by key, so that finding a key costs one hash.
#pragma once

#include <cstdint>
#include <cstring>
#include <set>
#include <string_view>
#include <unordered_map>

#include "foundation/utils/hash_chains.h"

namespace Utils {

struct StringMapEntry {
    const char* key;
    int32_t value;
    StringMapEntry* next;
};

class StringMap {
  public:
    using Iterator = HashChains<StringMapEntry>::Iterator;

    StringMap() = default;
    ~StringMap() { Release(); }
    StringMap(const StringMap&) = delete;
    StringMap& operator=(const StringMap&) = delete;

    static uint32_t Hash(const char* key);

    // Frees any entries, then makes `bucketCount` empty buckets, ordered or not; false when
    // they cannot be had.
    bool Init(uint32_t bucketCount, bool ordered = false);
    // False, with the map unchanged, for a key already present, a map without buckets or an
    // entry that cannot be had.
    bool Insert(const char* key, int32_t value);
    // True with `it` on the key's entry.
    bool Find(const char* key, Iterator& it);
    // Unlinks and frees the key's entry (the key text stays the caller's); false when absent.
    bool Erase(const char* key);
    bool Begin(Iterator& it) const { return chains_.Begin(it); }

    // Frees every entry (the keys are the caller's).
    void Clear();
    // Clear, then the buckets freed.
    void Release();

    uint32_t BucketCount() const { return chains_.BucketCount(); }
    uint32_t EntryCount() const { return chains_.EntryCount(); }

  private:
    // An entry of an ordered map (or a key sought): by bucket, then by key.
    struct Place {
        uint32_t bucket;
        const char* key;
        StringMapEntry* entry;
        bool operator<(const Place& other) const {
            return bucket != other.bucket ? bucket < other.bucket : std::strcmp(key, other.key) < 0;
        }
    };
    using Order = std::set<Place>;
    // The link to the entry at `at` in bucket b's chain.
    StringMapEntry** SlotBefore(Order::const_iterator at, uint32_t b);

    // The link to the key's entry, or to where it would go, in bucket b's chain; in an
    // ordered map `at` is the tree's place for the key.
    StringMapEntry** Locate(uint32_t b, const char* key, bool& found, Order::const_iterator& at);

    HashChains<StringMapEntry> chains_;
    bool ordered_ = false;
    Order order_;
    std::unordered_map<std::string_view, Order::const_iterator> index_;
};

}  // namespace Utils
