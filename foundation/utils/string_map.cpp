// Utils::StringMap: entries allocated one by one in strcmp-sorted chains.
#include "foundation/utils/string_map.h"

#include <cstring>

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

bool StringMap::Init(uint32_t bucketCount) {
    Clear();
    return chains_.AllocateBuckets(bucketCount);
}

bool StringMap::Insert(const char* key, int32_t value) {
    if (chains_.BucketCount() == 0 || !key) return false;
    bool found = false;
    StringMapEntry** slot = chains_.Locate(Hash(key) % chains_.BucketCount(), OrderOf(key), found);
    if (found) return false;
    auto* entry = static_cast<StringMapEntry*>(AllocRaw(sizeof(StringMapEntry)));
    if (!entry) return false;
    entry->key = key;
    entry->value = value;
    chains_.LinkAt(slot, entry);
    return true;
}

bool StringMap::Find(const char* key, Iterator& it) {
    it = Iterator();
    if (chains_.BucketCount() == 0 || !key) return false;
    bool found = false;
    const uint32_t b = Hash(key) % chains_.BucketCount();
    StringMapEntry** slot = chains_.Locate(b, OrderOf(key), found);
    if (found) it = chains_.IteratorAt(slot, b);
    return found;
}

bool StringMap::Erase(const char* key) {
    Iterator it;
    if (!Find(key, it)) return false;
    FreeEntry(chains_.UnlinkAt(it));
    return true;
}

void StringMap::Clear() { chains_.UnlinkAll(FreeEntry); }

void StringMap::Release() {
    Clear();
    chains_.FreeBuckets();
}

}  // namespace Utils
