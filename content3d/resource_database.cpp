// The registry is a fixed table under one lock; a purge moves the last entry into each
// removed one's place, as the engine's own registries do.
#include "content3d/resource_database.h"

#include <array>
#include <mutex>
#include <string>

#include "engine/file.h"
#include "foundation/console/log_message.h"

struct ResourceDatabaseRegistry {
    struct Entry {
        Kiv::PString folderName;
        KodrinResourceDatabase* database = nullptr;
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

    Entry* Find(const KodrinResourceDatabase* database) {
        if (!database) return nullptr;
        for (int32_t i = 0; i < entryCount; ++i) {
            if (entries[i].database == database) return &entries[i];
        }
        return nullptr;
    }

    void PurgeUnused() {
        for (int32_t i = 0; i < entryCount;) {
            if (entries[i].users != 0 || !entries[i].database) {
                ++i;
                continue;
            }
            delete entries[i].database;
            entries[i] = std::move(entries[entryCount - 1]);
            entries[entryCount - 1] = Entry();
            --entryCount;
        }
    }
};

KodrinResourceDatabase::~KodrinResourceDatabase() {
    Kiv::File::Subst(substitutedName_.c_str());
}

KodrinResourceDatabase* KodrinResourceDatabase::Make(const Kiv::PString& folderName,
                                                     const char* basePath) {
    std::string folder = basePath ? basePath : "";
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    folder += folderName.View();
    const std::string archive = folder + ".ka";
    const bool isArchive = static_cast<bool>(Kiv::File::Exists(archive.c_str()));
    auto* database = new KodrinResourceDatabase(folderName, isArchive);
    const std::string target = isArchive ? archive : folder + "/";
    if (!Kiv::File::Subst(folderName.c_str(), target.c_str(), !isArchive)) {
        delete database;
        return nullptr;
    }
    database->substitutedName_ = folderName;
    database->basePath_ = basePath ? basePath : "";
    return database;
}

KodrinResourceDatabase* KodrinResourceDatabase::Open(const Kiv::PString& folderName,
                                                     const char* basePath) {
    ResourceDatabaseRegistry& registry = ResourceDatabaseRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (ResourceDatabaseRegistry::Entry* entry = registry.Find(folderName)) {
        ++entry->users;
        return entry->database;
    }
    if (registry.entryCount == kMaxEntries) registry.PurgeUnused();
    if (registry.entryCount == kMaxEntries) return nullptr;
    KodrinResourceDatabase* database = Make(folderName, basePath);
    if (!database) return nullptr;
    registry.entries[registry.entryCount++] = {folderName, database, 1};
    return database;
}

void KodrinResourceDatabase::Release(KodrinResourceDatabase* database) {
    ResourceDatabaseRegistry& registry = ResourceDatabaseRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.lock);
    ResourceDatabaseRegistry::Entry* entry = registry.Find(database);
    if (!entry) return;
    if (entry->users <= 0) {
        LogMessage("KodrinResourceDatabase::Release> '%s' has no user left; release ignored",
                   entry->folderName.c_str());
        return;
    }
    --entry->users;
}

void KodrinResourceDatabase::PurgeUnused() {
    ResourceDatabaseRegistry& registry = ResourceDatabaseRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.PurgeUnused();
}

void KodrinResourceDatabase::PurgeAll() {
    PurgeUnused();
}

int32_t KodrinResourceDatabase::GetEntryCount() {
    ResourceDatabaseRegistry& registry = ResourceDatabaseRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.entryCount;
}

int32_t KodrinResourceDatabase::GetUserCount(const KodrinResourceDatabase* database) {
    ResourceDatabaseRegistry& registry = ResourceDatabaseRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.lock);
    const ResourceDatabaseRegistry::Entry* entry = registry.Find(database);
    return entry ? entry->users : -1;
}
