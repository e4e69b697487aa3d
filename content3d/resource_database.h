// KodrinResourceDatabase: the program's resource database for one asset folder, and the
// process-wide registry that shares them by folder name. Opening a folder name makes it a
// location of the engine's file layer: the ".ka" archive beside the folder when one exists
// (the archive then wins over the folder), else the folder itself. The registry holds at
// most 256 databases with a user count each; databases without users stay cached until a
// purge, which a full registry runs once before it refuses. Everything happens under one
// lock, so any thread may use it.
//
// A Release for a database that has no users left is refused and logged: an unpaired
// release would otherwise drive the count below zero and the database could never be
// purged.
#pragma once

#include <cstdint>
#include <string>

#include "engine/pstring.h"
#include "engine/resource_database.h"

class KodrinResourceDatabase : public Kiv::ResourceDatabase {
  public:
    static constexpr int32_t kMaxEntries = 256;

    // The shared database of folderName (interned: exact, case-sensitive), made on first
    // use under basePath (a later call's basePath is not looked at); one user more. Null
    // when the registry is full of databases in use, or when the folder's archive cannot
    // be read.
    static KodrinResourceDatabase* Open(const Kiv::PString& folderName, const char* basePath);
    // One user less for the entry that holds database; null or an unknown one changes
    // nothing. The database stays cached for the next Open.
    static void Release(KodrinResourceDatabase* database);
    // Deletes every database without users.
    static void PurgeUnused();
    // The same, at shut-down once the users have released their databases.
    static void PurgeAll();
    // Entries in the registry, used or not.
    static int32_t GetEntryCount();
    // The users of database, or -1 when the registry does not hold it.
    static int32_t GetUserCount(const KodrinResourceDatabase* database);

    bool IsArchiveBacked() const { return isArchive_; }
    // The base path of the Open that made the database.
    const char* GetBasePath() const { return basePath_.c_str(); }

  private:
    friend struct ResourceDatabaseRegistry;

    KodrinResourceDatabase(const Kiv::PString& folderName, bool isArchive)
        : Kiv::ResourceDatabase(folderName), isArchive_(isArchive) {}
    // Removes the folder name's substitution.
    ~KodrinResourceDatabase() override;
    // The database of folderName under basePath with its substitution made, or null.
    static KodrinResourceDatabase* Make(const Kiv::PString& folderName, const char* basePath);

    Kiv::PString substitutedName_;
    std::string basePath_;
    bool isArchive_;
};
