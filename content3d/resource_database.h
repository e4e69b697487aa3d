// KodrinResourceDatabase: the process-wide registry of per-folder resource databases,
// shared by folder name with a use count each, at most 256 entries; a full registry is
// purged of unused entries once before it refuses. In this first form an entry holds no
// resources: it makes no engine resource database, registers no path substitution for its
// folder and reads no ".ka" archive. Those come with the resource system.
#pragma once

#include <cstdint>
#include <string>

#include "engine/pstring.h"

class KodrinResourceDatabase {
  public:
    static constexpr int32_t kMaxEntries = 256;

    // The shared database of folderName (interned: exact, case-sensitive), made on first
    // use with basePath (a later call's basePath is not looked at); one use more. Null
    // when the registry is full of databases in use.
    static KodrinResourceDatabase* Open(const Kiv::PString& folderName, const char* basePath);
    // One use less for the entry that holds database; null or an unknown one changes
    // nothing. The database stays cached for the next Open.
    static void Release(KodrinResourceDatabase* database);
    // Deletes every database without uses.
    static void PurgeAll();
    // Entries in the registry, used or not.
    static int32_t GetEntryCount();

    const Kiv::PString& GetFolderName() const { return folderName_; }
    const char* GetBasePath() const { return basePath_.c_str(); }

  private:
    KodrinResourceDatabase(const Kiv::PString& folderName, const char* basePath)
        : folderName_(folderName), basePath_(basePath ? basePath : "") {}

    Kiv::PString folderName_;
    std::string basePath_;

    friend struct ResourceDatabaseRegistry;
};
