// ChildList: the children of an in-memory container, in insertion order; names may repeat.
// Building a soup looks up and removes by name all the time (every setter first removes the
// earlier tag of its name), so a long list keeps two indexes beside its entries, from a name
// and from a node to the first entry holding it and the number of entries that do; the index
// of nodes is made with the first removal, since a list that is only built never needs it.
// Short lists are scanned instead and carry nothing more than their entries. In a long list
// a removal leaves a hole, closed up by the next indexed read in one pass over the list, so
// removing never shifts the entries. Readers of one tree may run on several threads:
// closing the holes is the one thing a read changes, and it runs under a lock that lookups
// made while holes exist take too.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/pstring.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/soup/identity_index.h"

struct ACSChildEntry {
    Kiv::PString name;
    ACSChunkRef chunk; // declared last: released before the name; empty in a hole
};

class ChildList {
  public:
    ChildList() = default;
    ChildList(const ChildList&) = delete;
    ChildList& operator=(const ChildList&) = delete;
    // The list is empty before the entries go, so a child's destructor finds it empty.
    ~ChildList();

    int32_t Count() const { return live_; }
    // The index-th child; false when there is none.
    bool At(int32_t index, Kiv::PString& name, ACSChunkRef& chunk) const;
    // The chunk of the first child of that name; empty when there is none.
    ACSChunkRef FindName(const Kiv::PString& name) const;
    void Append(const Kiv::PString& name, const ACSChunkRef& chunk);
    // Removes the first child holding that node and hands its chunk back, so the caller
    // drops what may be the last reference to a subtree once the list is whole again.
    ACSChunkRef RemoveFirstHolding(const ACSChunk* node);
    // The last children holding a and b exchange their chunks; names stay.
    void SwapChunks(const ACSChunk* a, const ACSChunk* b);
    // Orders the children by their names' bytes; children of one name keep their order.
    void SortByName();

  private:
    // What a long list keeps beside its entries.
    struct Indexes {
        IdentityIndex byName;
        IdentityIndex byNode;
        bool nodesIndexed = false;
        std::atomic<uint32_t> holes{0};
        std::mutex settling;
    };

    static const void* NameKey(const ACSChildEntry& entry) { return entry.name.Identity(); }
    static const void* NodeKey(const ACSChildEntry& entry) { return entry.chunk.Get(); }

    bool HasHoles() const {
        return indexes_ && indexes_->holes.load(std::memory_order_acquire) != 0;
    }
    ACSChunkRef FindNameUnlocked(const Kiv::PString& name) const;
    // The first live entry at or after from whose key is key; entries_.size() when none.
    template <class Key> uint32_t Scan(uint32_t from, const void* key, Key keyOf) const;
    // The entry at slot, which held key, goes: the count drops and, when it was the first
    // holder, the next holder becomes the first.
    template <class Key>
    void Unindex(IdentityIndex& index, uint32_t slot, const void* key, Key keyOf);
    // The index of names anew (made when missing), and that of nodes when it was made.
    void RebuildIndexes() const;
    void IndexNodes() const;
    ACSChunkRef RemoveAt(uint32_t slot);
    // Closes the holes; the caller is the only one to touch the list.
    void Compact() const;
    // Closes the holes for a reader, under the lock.
    void Settle() const;

    mutable std::vector<ACSChildEntry> entries_;
    mutable std::unique_ptr<Indexes> indexes_; // for lists longer than a few entries
    int32_t live_ = 0;
};
