// The registry is a fixed table under one lock; a purge moves the last entry into each
// removed one's place, as the engine's own registries do.
#include "content3d/resource_database.h"

#include <array>
#include <memory>
#include <mutex>

struct ResourceDatabaseRegistry {
    struct Entry {
        Kiv::PString folderName;
        std::unique_ptr<KodrinResourceDatabase> database;
        int32_t users = 0;
    };

    std::mutex lock;
    std::array<Entry, KodrinResourceDatabase::kMaxEntries> entries;
    int32_t entryCount = 0;

    static ResourceDatabaseRegistry& Instance() {
        static auto* registry = new ResourceDatabaseRegistry;
        return *registry;
    }

    Entry* Find(const Kiv::PString& folderName) {
        for (int32_t i = 0; i < entryCount; ++i) {
            if (entries[i].folderName == folderName) return &entries[i];
        }
        return nullptr;
    }

    void PurgeUnused() {
        for (int32_t i = 0; i < entryCount;) {
            if (entries[i].users != 0) {
                ++i;
                continue;
            }
            entries[i] = std::move(entries[entryCount - 1]);
            entries[entryCount - 1] = Entry();
            --entryCount;
        }
    }

    KodrinResourceDatabase* Add(const Kiv::PString& folderName, const char* basePath) {
        Entry& entry = entries[entryCount++];
        entry.folderName = folderName;
        entry.database.reset(new KodrinResourceDatabase(folderName, basePath));
        entry.users = 1;
        return entry.database.get();
    }
};

KodrinResourceDatabase* KodrinResourceDatabase::Open(const Kiv::PString& folderName,
                                                     const char* basePath) {
    ResourceDatabaseRegistry& registry = ResourceDatabaseRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (ResourceDatabaseRegistry::Entry* entry = registry.Find(folderName)) {
        ++entry->users;
        return entry->database.get();
    }
    if (registry.entryCount == kMaxEntries) registry.PurgeUnused();
    if (registry.entryCount == kMaxEntries) return nullptr;
    return registry.Add(folderName, basePath);
}

void KodrinResourceDatabase::Release(KodrinResourceDatabase* database) {
    if (!database) return;
    ResourceDatabaseRegistry& registry = ResourceDatabaseRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (int32_t i = 0; i < registry.entryCount; ++i) {
        if (registry.entries[i].database.get() == database) {
            --registry.entries[i].users;
            return;
        }
    }
}

void KodrinResourceDatabase::PurgeAll() {
    ResourceDatabaseRegistry& registry = ResourceDatabaseRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.PurgeUnused();
}

int32_t KodrinResourceDatabase::GetEntryCount() {
    ResourceDatabaseRegistry& registry = ResourceDatabaseRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.entryCount;
}
