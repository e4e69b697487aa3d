// GSLibraryStrings: the open-addressed entry of a text and the string section's order, sorted once.
#include "script_compiler/gs_library_strings.h"

#include <algorithm>
#include <cstring>

#include "foundation/utils/string_map.h"

namespace {

constexpr size_t kFirstSlots = 1024;

}  // namespace

// FNV-1a over the bytes.
uint32_t GSLibraryStrings::HashOf(const char* text) {
    uint32_t hash = 2166136261u;
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(text); *at; ++at)
        hash = (hash ^ *at) * 16777619u;
    return hash;
}

size_t GSLibraryStrings::Locate(const char* text, uint32_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.entry < 0) return at;
        if (slot.hash == hash && std::strcmp(entries_[static_cast<size_t>(slot.entry)].key, text) == 0) return at;
    }
}

void GSLibraryStrings::Grow() {
    std::vector<Slot> old(slots_.empty() ? kFirstSlots : slots_.size() * 2, Slot{0, -1});
    old.swap(slots_);
    const size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.entry < 0) continue;
        size_t at = slot.hash & mask;
        while (slots_[at].entry >= 0) at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

int32_t GSLibraryStrings::Find(const char* text) const {
    if (slots_.empty()) return -1;
    const Slot& slot = slots_[Locate(text, HashOf(text))];
    return slot.entry < 0 ? -1 : entries_[static_cast<size_t>(slot.entry)].index;
}

bool GSLibraryStrings::Insert(const char* key, int32_t index) {
    if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
    const uint32_t hash = HashOf(key);
    Slot& slot = slots_[Locate(key, hash)];
    if (slot.entry >= 0) return false;
    slot = Slot{hash, static_cast<int32_t>(entries_.size())};
    entries_.push_back({key, index});
    return true;
}

std::vector<GSLibraryStrings::Entry> GSLibraryStrings::InSectionOrder() const {
    struct Placed {
        uint32_t bucket;
        Entry entry;
    };
    std::vector<Placed> placed;
    placed.reserve(entries_.size());
    for (const Entry& entry : entries_) placed.push_back({Utils::StringMap::Hash(entry.key) % kBuckets, entry});
    std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.bucket != b.bucket ? a.bucket < b.bucket : std::strcmp(a.entry.key, b.entry.key) < 0;
    });
    std::vector<Entry> ordered;
    ordered.reserve(placed.size());
    for (const Placed& p : placed) ordered.push_back(p.entry);
    return ordered;
}

void GSLibraryStrings::Clear() {
    slots_.clear();
    entries_.clear();
}
