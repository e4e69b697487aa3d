// Utils::StringMap: entries allocated one by one in strcmp-sorted chains.
#include "foundation/utils/string_map.h"

#include <cstring>
#include <iterator>

#include "foundation/utils/raw_memory.h"

namespace Utils {

namespace {

auto OrderOf(const char* key) {
    return [key](const StringMapEntry* entry) -> int32_t { return std::strcmp(key, entry->key); };
}

void FreeEntry(StringMapEntry* entry) { FreeRaw(entry); }

}  // namespace

uint32_t StringMap::Hash(const char* key) {
    uint32_t h = 0;
    for (const char* p = key; *p; ++p) h = h * 3 + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
    return h;
}

bool StringMap::Init(uint32_t bucketCount, bool ordered) {
    Clear();
    ordered_ = ordered;
    return chains_.AllocateBuckets(bucketCount);
}

StringMapEntry** StringMap::Locate(uint32_t b, const char* key, bool& found, Order::const_iterator& at) {
    if (!ordered_) return chains_.Locate(b, OrderOf(key), found);
    at = order_.lower_bound(Place{b, key, nullptr});
    found = at != order_.end() && at->bucket == b && std::strcmp(key, at->key) == 0;
    return SlotBefore(at, b);
}

StringMapEntry** StringMap::SlotBefore(Order::const_iterator at, uint32_t b) {
    if (at == order_.begin()) return chains_.SlotAfter(b, nullptr);
    const Place& previous = *std::prev(at);
    return chains_.SlotAfter(b, previous.bucket == b ? previous.entry : nullptr);
}

bool StringMap::Insert(const char* key, int32_t value) {
    if (chains_.BucketCount() == 0 || !key) return false;
    bool found = false;
    const uint32_t b = Hash(key) % chains_.BucketCount();
    if (ordered_ && index_.count(key) != 0) return false;
    Order::const_iterator at;
    StringMapEntry** slot = Locate(b, key, found, at);
    if (found) return false;
    auto* entry = static_cast<StringMapEntry*>(AllocRaw(sizeof(StringMapEntry)));
    if (!entry) return false;
    entry->key = key;
    entry->value = value;
    if (ordered_) index_.emplace(key, order_.insert(at, Place{b, key, entry}));
    chains_.LinkAt(slot, entry);
    return true;
}

bool StringMap::Find(const char* key, Iterator& it) {
    it = Iterator();
    if (chains_.BucketCount() == 0 || !key) return false;
    bool found = false;
    const uint32_t b = Hash(key) % chains_.BucketCount();
    if (ordered_) {
        const auto indexed = index_.find(key);
        if (indexed == index_.end()) return false;
        it = chains_.IteratorAt(SlotBefore(indexed->second, b), b);
        return true;
    }
    Order::const_iterator at;
    StringMapEntry** slot = Locate(b, key, found, at);
    if (found) it = chains_.IteratorAt(slot, b);
    return found;
}

bool StringMap::Erase(const char* key) {
    Iterator it;
    if (!Find(key, it)) return false;
    if (ordered_) {
        order_.erase(Place{Hash(key) % chains_.BucketCount(), key, nullptr});
        index_.erase(key);
    }
    FreeEntry(chains_.UnlinkAt(it));
    return true;
}

void StringMap::Clear() {
    index_.clear();
    order_.clear();
    chains_.UnlinkAll(FreeEntry);
}

void StringMap::Release() {
    Clear();
    chains_.FreeBuckets();
}

}  // namespace Utils
