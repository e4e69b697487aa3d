// The child list of an in-memory container: entries, holes and the two indexes. Small lists
// erase in place; indexed ones leave holes, except at the end, so that replacing the last
// tag (a name set again and again) leaves none.
#include "foundation/soup/child_list.h"

#include <algorithm>
#include <utility>

#include "foundation/soup/chunk.h"

namespace {

// Lists longer than this keep their indexes.
constexpr size_t kIndexedFrom = 8;
// Holes beyond the live entries by this many are closed up by the next removal.
constexpr uint32_t kHoleSlack = 64;

} // namespace

ChildList::~ChildList() {
    std::vector<ACSChildEntry> gone;
    gone.swap(entries_);
    byName_.Clear();
    byNode_.Clear();
    live_ = 0;
}

bool ChildList::At(int32_t index, Kiv::PString& name, ACSChunkRef& chunk) const {
    if (index < 0 || index >= live_) return false;
    if (holes_.load(std::memory_order_acquire) != 0) Settle();
    const ACSChildEntry& entry = entries_[static_cast<size_t>(index)];
    name = entry.name;
    chunk = entry.chunk;
    return true;
}

ACSChunkRef ChildList::FindName(const Kiv::PString& name) const {
    if (holes_.load(std::memory_order_acquire) == 0) return FindNameUnlocked(name);
    const std::lock_guard<std::mutex> guard(settling_);
    return FindNameUnlocked(name);
}

ACSChunkRef ChildList::FindNameUnlocked(const Kiv::PString& name) const {
    uint32_t slot = static_cast<uint32_t>(entries_.size());
    if (!indexed_) {
        slot = Scan(0, name.Identity(), NameKey);
    } else if (const IdentityIndex::Holders* found = byName_.Find(name.Identity())) {
        slot = found->first;
    }
    return slot < entries_.size() ? entries_[slot].chunk : ACSChunkRef();
}

void ChildList::Append(const Kiv::PString& name, const ACSChunkRef& chunk) {
    entries_.push_back(ACSChildEntry{name, chunk});
    ++live_;
    const auto slot = static_cast<uint32_t>(entries_.size() - 1);
    if (!indexed_) {
        if (entries_.size() > kIndexedFrom) RebuildIndexes();
        return;
    }
    Index(byName_, entries_[slot], slot, NameKey);
    if (nodesIndexed_) Index(byNode_, entries_[slot], slot, NodeKey);
}

ACSChunkRef ChildList::RemoveFirstHolding(const ACSChunk* node) {
    if (!node) return ACSChunkRef();
    uint32_t slot = static_cast<uint32_t>(entries_.size());
    if (indexed_ && !nodesIndexed_) IndexNodes();
    if (!indexed_) {
        slot = Scan(0, node, NodeKey);
    } else if (const IdentityIndex::Holders* found = byNode_.Find(node)) {
        slot = found->first;
    }
    if (slot >= entries_.size()) return ACSChunkRef();
    ACSChildEntry& entry = entries_[slot];
    ACSChunkRef removed = entry.chunk;
    --live_;
    if (!indexed_) {
        entries_.erase(entries_.begin() + slot);
        return removed;
    }
    Unindex(byName_, slot, NameKey(entry), NameKey);
    Unindex(byNode_, slot, node, NodeKey);
    entry.chunk.Release();
    entry.name = Kiv::PString();
    if (slot + 1 < entries_.size()) {
        holes_.fetch_add(1, std::memory_order_relaxed);
    } else {
        entries_.pop_back();
        while (!entries_.empty() && !entries_.back().chunk.Get()) {
            entries_.pop_back();
            holes_.fetch_sub(1, std::memory_order_relaxed);
        }
    }
    if (holes_.load(std::memory_order_relaxed) > static_cast<uint32_t>(live_) + kHoleSlack)
        Compact();
    return removed;
}

void ChildList::SwapChunks(const ACSChunk* a, const ACSChunk* b) {
    Compact();
    ACSChildEntry* holdsA = nullptr;
    ACSChildEntry* holdsB = nullptr;
    for (ACSChildEntry& entry : entries_) {
        if (entry.chunk.Get() == a)
            holdsA = &entry;
        else if (entry.chunk.Get() == b)
            holdsB = &entry;
    }
    if (!holdsA || !holdsB) return;
    std::swap(holdsA->chunk, holdsB->chunk);
    if (indexed_) RebuildIndexes();
}

void ChildList::SortByName() {
    Compact();
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const ACSChildEntry& a, const ACSChildEntry& b) {
                         return a.name.View() < b.name.View();
                     });
    if (indexed_) RebuildIndexes();
}

template <class Key> uint32_t ChildList::Scan(uint32_t from, const void* key, Key keyOf) const {
    const auto size = static_cast<uint32_t>(entries_.size());
    for (uint32_t slot = from; slot < size; ++slot)
        if (entries_[slot].chunk.Get() && keyOf(entries_[slot]) == key) return slot;
    return size;
}

template <class Key>
void ChildList::Index(IdentityIndex& index, const ACSChildEntry& entry, uint32_t slot, Key keyOf) {
    index.Add(keyOf(entry), slot);
}

template <class Key>
void ChildList::Unindex(IdentityIndex& index, uint32_t slot, const void* key, Key keyOf) {
    IdentityIndex::Holders* holders = index.Find(key);
    if (!holders) return;
    if (holders->count == 1) {
        index.Erase(key);
        return;
    }
    --holders->count;
    if (holders->first == slot) holders->first = Scan(slot + 1, key, keyOf);
}

void ChildList::RebuildIndexes() const {
    byName_.Clear();
    for (uint32_t slot = 0; slot < entries_.size(); ++slot)
        if (entries_[slot].chunk.Get()) Index(byName_, entries_[slot], slot, NameKey);
    indexed_ = true;
    if (nodesIndexed_) IndexNodes();
}

void ChildList::IndexNodes() const {
    byNode_.Clear();
    for (uint32_t slot = 0; slot < entries_.size(); ++slot)
        if (entries_[slot].chunk.Get()) Index(byNode_, entries_[slot], slot, NodeKey);
    nodesIndexed_ = true;
}

void ChildList::Compact() const {
    if (holes_.load(std::memory_order_relaxed) == 0) return;
    std::erase_if(entries_, [](const ACSChildEntry& entry) { return !entry.chunk.Get(); });
    if (indexed_) RebuildIndexes();
    holes_.store(0, std::memory_order_release);
}

void ChildList::Settle() const {
    const std::lock_guard<std::mutex> guard(settling_);
    Compact();
}
