// Utils::UIntHashTable: entries allocated one by one, sorted chains, clearing.
#include "foundation/utils/uint_hash_table.h"

#include "foundation/utils/raw_memory.h"

namespace Utils {

namespace {

uint32_t Bucket(uintptr_t key, uint32_t bucketCount) {
    return static_cast<uint32_t>((key >> 1) % bucketCount);
}

auto OrderOf(uintptr_t key) {
    return [key](const UIntHashEntry* entry) -> int32_t {
        return key < entry->key ? -1 : key == entry->key ? 0 : 1;
    };
}

}  // namespace

bool UIntHashTable::Init() {
    Clear();
    return chains_.AllocateBuckets(kBucketCount);
}

bool UIntHashTable::Insert(uintptr_t key, void* value) {
    if (chains_.BucketCount() == 0) return false;
    bool found = false;
    UIntHashEntry** slot = chains_.Locate(Bucket(key, chains_.BucketCount()), OrderOf(key), found);
    if (found) return false;
    auto* entry = static_cast<UIntHashEntry*>(AllocRaw(sizeof(UIntHashEntry)));
    if (!entry) return false;
    entry->key = key;
    entry->value = value;
    chains_.LinkAt(slot, entry);
    return true;
}

bool UIntHashTable::Find(uintptr_t key, Iterator& it) {
    it = Iterator();
    if (chains_.BucketCount() == 0) return false;
    bool found = false;
    const uint32_t b = Bucket(key, chains_.BucketCount());
    UIntHashEntry** slot = chains_.Locate(b, OrderOf(key), found);
    if (found) it = chains_.IteratorAt(slot, b);
    return found;
}

bool UIntHashTable::EraseAt(uintptr_t* key, Iterator& it) {
    UIntHashEntry* entry = chains_.UnlinkAt(it);
    if (!entry) return false;
    if (key) *key = entry->key;
    FreeEntry(entry);
    return true;
}

void UIntHashTable::Clear() { chains_.UnlinkAll(FreeEntry); }

void UIntHashTable::ClearDeletingKeys() {
    chains_.UnlinkAll([](UIntHashEntry* entry) {
        FreeRaw(reinterpret_cast<void*>(entry->key));
        FreeEntry(entry);
    });
}

void UIntHashTable::Release() {
    Clear();
    chains_.FreeBuckets();
}

void UIntHashTable::FreeEntry(UIntHashEntry* entry) { FreeRaw(entry); }

}  // namespace Utils
