// The child list of an in-memory container: entries, holes and the two indexes. Short lists
// erase in place; long ones leave holes, except at the end, so that replacing the last tag
// (a name set again and again) leaves none.
#include "foundation/soup/child_list.h"

#include <algorithm>
#include <utility>

#include "foundation/soup/chunk.h"

namespace {

// Lists longer than this keep indexes.
constexpr size_t kIndexedFrom = 32;
// Holes beyond the live entries by this many are closed up by the next removal.
constexpr uint32_t kHoleSlack = 64;

} // namespace

ChildList::~ChildList() {
    std::vector<ACSChildEntry> gone;
    gone.swap(entries_);
    indexes_.reset();
    live_ = 0;
}

bool ChildList::At(int32_t index, Kiv::PString& name, ACSChunkRef& chunk) const {
    if (index < 0 || index >= live_) return false;
    if (HasHoles()) Settle();
    const ACSChildEntry& entry = entries_[static_cast<size_t>(index)];
    name = entry.name;
    chunk = entry.chunk;
    return true;
}

ACSChunkRef ChildList::FindName(const Kiv::PString& name) const {
    if (!HasHoles()) return FindNameUnlocked(name);
    const std::lock_guard<std::mutex> guard(indexes_->settling);
    return FindNameUnlocked(name);
}

ACSChunkRef ChildList::FindNameUnlocked(const Kiv::PString& name) const {
    auto slot = static_cast<uint32_t>(entries_.size());
    if (!indexes_) {
        slot = Scan(0, name.Identity(), NameKey);
    } else if (const IdentityIndex::Holders* found = indexes_->byName.Find(name.Identity())) {
        slot = found->first;
    }
    return slot < entries_.size() ? entries_[slot].chunk : ACSChunkRef();
}

void ChildList::Append(const Kiv::PString& name, const ACSChunkRef& chunk) {
    entries_.push_back(ACSChildEntry{name, chunk});
    ++live_;
    const auto slot = static_cast<uint32_t>(entries_.size() - 1);
    if (!indexes_) {
        if (entries_.size() > kIndexedFrom) RebuildIndexes();
        return;
    }
    indexes_->byName.Add(name.Identity(), slot);
    if (indexes_->nodesIndexed) indexes_->byNode.Add(chunk.Get(), slot);
}

ACSChunkRef ChildList::RemoveFirstHolding(const ACSChunk* node) {
    if (!node) return ACSChunkRef();
    if (!indexes_) {
        const uint32_t slot = Scan(0, node, NodeKey);
        if (slot >= entries_.size()) return ACSChunkRef();
        ACSChunkRef removed = std::move(entries_[slot].chunk);
        entries_.erase(entries_.begin() + slot);
        --live_;
        return removed;
    }
    if (!indexes_->nodesIndexed) IndexNodes();
    const IdentityIndex::Holders* found = indexes_->byNode.Find(node);
    return found ? RemoveAt(found->first) : ACSChunkRef();
}

ACSChunkRef ChildList::RemoveAt(uint32_t slot) {
    ACSChildEntry& entry = entries_[slot];
    Unindex(indexes_->byName, slot, NameKey(entry), NameKey);
    Unindex(indexes_->byNode, slot, NodeKey(entry), NodeKey);
    ACSChunkRef removed = std::move(entry.chunk);
    entry.name = Kiv::PString();
    --live_;
    std::atomic<uint32_t>& holes = indexes_->holes;
    if (slot + 1 < entries_.size()) {
        holes.fetch_add(1, std::memory_order_relaxed);
    } else {
        entries_.pop_back();
        while (!entries_.empty() && !entries_.back().chunk.Get()) {
            entries_.pop_back();
            holes.fetch_sub(1, std::memory_order_relaxed);
        }
    }
    if (holes.load(std::memory_order_relaxed) > static_cast<uint32_t>(live_) + kHoleSlack)
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
    if (indexes_) RebuildIndexes();
}

void ChildList::SortByName() {
    Compact();
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const ACSChildEntry& a, const ACSChildEntry& b) {
                         return a.name.View() < b.name.View();
                     });
    if (indexes_) RebuildIndexes();
}

template <class Key> uint32_t ChildList::Scan(uint32_t from, const void* key, Key keyOf) const {
    const auto size = static_cast<uint32_t>(entries_.size());
    for (uint32_t slot = from; slot < size; ++slot)
        if (entries_[slot].chunk.Get() && keyOf(entries_[slot]) == key) return slot;
    return size;
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
    if (!indexes_) indexes_ = std::make_unique<Indexes>();
    indexes_->byName.Clear();
    for (uint32_t slot = 0; slot < entries_.size(); ++slot)
        if (entries_[slot].chunk.Get()) indexes_->byName.Add(NameKey(entries_[slot]), slot);
    if (indexes_->nodesIndexed) IndexNodes();
}

void ChildList::IndexNodes() const {
    indexes_->byNode.Clear();
    for (uint32_t slot = 0; slot < entries_.size(); ++slot)
        if (entries_[slot].chunk.Get()) indexes_->byNode.Add(NodeKey(entries_[slot]), slot);
    indexes_->nodesIndexed = true;
}

void ChildList::Compact() const {
    if (!HasHoles()) return;
    std::erase_if(entries_, [](const ACSChildEntry& entry) { return !entry.chunk.Get(); });
    RebuildIndexes();
    indexes_->holes.store(0, std::memory_order_release);
}

void ChildList::Settle() const {
    const std::lock_guard<std::mutex> guard(indexes_->settling);
    Compact();
}
