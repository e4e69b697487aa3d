// Utils::HashTable: an intrusive hash table of Utils::IHashNode objects (the compiler's
// symbols). The owner picks the bucket count (31 for a class's symbols); a node's Hash picks
// its bucket and its Compare keeps the bucket's chain sorted, refusing a second node that
// compares equal. The table never owns its nodes. An ordered table keeps a search tree of
// its nodes beside the chains, in the chains' own order, so that inserting, finding and
// removing cost a logarithm instead of a walk along a long chain; the chains, and so the
// order of iteration, are the same either way. Its nodes' Compare must order them totally.
// A caller that keeps its own index of the nodes may enter them with InsertNew: they are
// placed in the chains only when the table is next read, sorted once together, so many new
// nodes cost one sort and a walk instead of a tree search each.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <set>
#include <vector>

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

    // Empty buckets, `bucketCount` of them, ordered or not; false when they cannot be had.
    bool Init(uint32_t bucketCount, bool ordered = false) {
        ordered_ = ordered;
        pending_.clear();
        order_.clear();
        return chains_.AllocateBuckets(bucketCount);
    }
    // Zeroes and frees the buckets; the nodes are left alone.
    void Release() {
        pending_.clear();
        order_.clear();
        chains_.FreeBuckets();
    }

    // False when a node comparing equal is already in the bucket (or there are no buckets).
    bool Insert(IHashNode* node) {
        if (chains_.BucketCount() == 0) return false;
        const uint32_t b = Bucket(*node);
        if (ordered_) {
            PlacePending();
            const auto at = order_.lower_bound(Place{b, node});
            if (Matches(at, b, *node)) return false;
            chains_.LinkAt(SlotBefore(at, b), node);
            order_.insert(at, Place{b, node});
            return true;
        }
        bool found = false;
        IHashNode** slot = chains_.Locate(b, OrderOf{*node}, found);
        if (found) return false;
        chains_.LinkAt(slot, node);
        return true;
    }

    // An ordered table's new node that the caller knows no node here compares equal to
    // (false when there are no buckets); it joins the chains when the table is next read.
    bool InsertNew(IHashNode* node) {
        if (chains_.BucketCount() == 0) return false;
        if (!ordered_) return Insert(node);
        pending_.push_back(node);
        return true;
    }

    // True with `it` on the node comparing equal to `query`.
    bool Find(const IHashNode& query, Iterator& it) {
        it = Iterator();
        if (chains_.BucketCount() == 0) return false;
        PlacePending();
        bool found = false;
        const uint32_t b = Bucket(query);
        IHashNode** slot = nullptr;
        if (ordered_) {
            const auto at = order_.lower_bound(Place{b, &query});
            found = Matches(at, b, query);
            if (found) slot = SlotBefore(at, b);
        } else {
            slot = chains_.Locate(b, OrderOf{query}, found);
        }
        if (found) it = chains_.IteratorAt(slot, b);
        return found;
    }

    // Unlinks this very node (not merely one comparing equal); false when it is not here.
    bool Remove(IHashNode* node) {
        if (chains_.BucketCount() == 0 || !node) return false;
        if (RemovePending(node)) return true;
        PlacePending();
        bool found = false;
        const uint32_t b = Bucket(*node);
        IHashNode** slot = nullptr;
        if (ordered_) {
            const auto at = order_.find(Place{b, node});
            found = at != order_.end() && at->node == node;
            if (found) {
                slot = SlotBefore(at, b);
                order_.erase(at);
            }
        } else {
            slot = chains_.Locate(b, SameAs{node}, found);
        }
        if (!found) return false;
        Iterator it = chains_.IteratorAt(slot, b);
        return chains_.UnlinkAt(it) != nullptr;
    }

    bool Begin(Iterator& it) const {
        PlacePending();
        return chains_.Begin(it);
    }
    uint32_t BucketCount() const { return chains_.BucketCount(); }
    uint32_t EntryCount() const { return chains_.EntryCount() + static_cast<uint32_t>(pending_.size()); }

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

    // A node of an ordered table: by bucket, then in its chain's order.
    struct Place {
        uint32_t bucket;
        const IHashNode* node;
        bool operator<(const Place& other) const {
            return bucket != other.bucket ? bucket < other.bucket : node->Compare(*other.node) < 0;
        }
    };
    using Order = std::set<Place>;

    bool Matches(Order::const_iterator at, uint32_t b, const IHashNode& key) const {
        return at != order_.end() && at->bucket == b && key.Compare(*at->node) == 0;
    }
    // The link to the node at `at` (or to where it would go) in bucket b's chain.
    IHashNode** SlotBefore(Order::const_iterator at, uint32_t b) const {
        if (at == order_.begin()) return chains_.SlotAfter(b, nullptr);
        const Place& previous = *std::prev(at);
        return chains_.SlotAfter(b, previous.bucket == b ? const_cast<IHashNode*>(previous.node) : nullptr);
    }

    // Places the nodes entered with InsertNew, sorted, each with a tree search when they are
    // few beside the table and otherwise in one walk along the tree.
    void PlacePending() const {
        if (pending_.empty()) return;
        std::vector<Place> places;
        places.reserve(pending_.size());
        for (const IHashNode* node : pending_) places.push_back(Place{Bucket(*node), node});
        pending_.clear();
        std::sort(places.begin(), places.end());
        uint64_t depth = 1;
        while ((uint64_t{1} << depth) < order_.size()) ++depth;
        const bool walk = places.size() * depth >= order_.size();
        auto at = order_.begin();
        for (const Place& place : places) {
            if (walk) {
                while (at != order_.end() && *at < place) ++at;
            } else {
                at = order_.lower_bound(place);
            }
            chains_.LinkAt(SlotBefore(at, place.bucket), const_cast<IHashNode*>(place.node));
            order_.insert(at, place);
        }
    }
    // Drops a node still waiting to be placed; false when it is not among them. The nodes
    // a caller removes are mostly its latest, so the search starts from the end; beyond a
    // few waiting, they are placed first, so a removal never walks a long list.
    bool RemovePending(const IHashNode* node) {
        if (pending_.size() > kPendingSearched) PlacePending();
        const auto at = std::find(pending_.rbegin(), pending_.rend(), node);
        if (at == pending_.rend()) return false;
        pending_.erase(std::next(at).base());
        return true;
    }

    static constexpr size_t kPendingSearched = 64;
    // The table's state is placed lazily: reading it may first place the pending nodes.
    mutable HashChains<IHashNode> chains_;
    bool ordered_ = false;
    mutable Order order_;
    mutable std::vector<const IHashNode*> pending_;
};

}  // namespace Utils
