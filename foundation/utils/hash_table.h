// Utils::HashTable: an intrusive hash table of Utils::IHashNode objects (the compiler's
// symbols). The owner picks the bucket count (31 for a class's symbols); a node's Hash picks
// its bucket and its Compare keeps the bucket's chain sorted, refusing a second node that
// compares equal. The table never owns its nodes.
#pragma once

#include <cstdint>

#include "foundation/utils/hash_chains.h"

namespace Utils {

class IHashNode {
  public:
    virtual ~IHashNode() = default;
    virtual uint32_t Hash() const = 0;
    // Negative, zero or positive as this node's key sorts before, equal to or after the
    // other's.
    virtual int32_t Compare(const IHashNode& other) const = 0;

  private:
    template <class> friend class HashChains;
    IHashNode* next = nullptr;
};

class HashTable {
  public:
    using Iterator = HashChains<IHashNode>::Iterator;

    // Empty buckets, `bucketCount` of them; false when they cannot be had.
    bool Init(uint32_t bucketCount) { return chains_.AllocateBuckets(bucketCount); }
    // Zeroes and frees the buckets; the nodes are left alone.
    void Release() { chains_.FreeBuckets(); }

    // False when a node comparing equal is already in the bucket (or there are no buckets).
    bool Insert(IHashNode* node) {
        if (chains_.BucketCount() == 0) return false;
        bool found = false;
        IHashNode** slot = chains_.Locate(Bucket(*node), OrderOf{*node}, found);
        if (found) return false;
        chains_.LinkAt(slot, node);
        return true;
    }

    // True with `it` on the node comparing equal to `query`.
    bool Find(const IHashNode& query, Iterator& it) {
        it = Iterator();
        if (chains_.BucketCount() == 0) return false;
        bool found = false;
        const uint32_t b = Bucket(query);
        IHashNode** slot = chains_.Locate(b, OrderOf{query}, found);
        if (found) it = chains_.IteratorAt(slot, b);
        return found;
    }

    // Unlinks this very node (not merely one comparing equal); false when it is not here.
    bool Remove(IHashNode* node) {
        if (chains_.BucketCount() == 0 || !node) return false;
        bool found = false;
        const uint32_t b = Bucket(*node);
        IHashNode** slot = chains_.Locate(b, SameAs{node}, found);
        if (!found) return false;
        Iterator it = chains_.IteratorAt(slot, b);
        return chains_.UnlinkAt(it) != nullptr;
    }

    bool Begin(Iterator& it) const { return chains_.Begin(it); }
    uint32_t BucketCount() const { return chains_.BucketCount(); }
    uint32_t EntryCount() const { return chains_.EntryCount(); }

  private:
    uint32_t Bucket(const IHashNode& node) const { return node.Hash() % chains_.BucketCount(); }
    struct OrderOf {
        const IHashNode& key;
        int32_t operator()(const IHashNode* entry) const { return key.Compare(*entry); }
    };

    struct SameAs {
        const IHashNode* node;
        int32_t operator()(const IHashNode* entry) const { return entry == node ? 0 : 1; }
    };

    HashChains<IHashNode> chains_;
};

}  // namespace Utils
