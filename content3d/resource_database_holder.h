// ResourceDatabaseHolder: one job's hold on the resource database of an asset folder,
// taken from the registry (content3d/resource_database.h) under the installation folder.
// An empty folder name holds nothing and still counts as success. The installation folder
// is process state that start-up sets once (SetInstallFolder); while it is unset the base
// is empty.
#pragma once

#include <string>

class KodrinResourceDatabase;

class ResourceDatabaseHolder {
  public:
    ResourceDatabaseHolder() = default;
    ResourceDatabaseHolder(const ResourceDatabaseHolder&) = delete;
    ResourceDatabaseHolder& operator=(const ResourceDatabaseHolder&) = delete;
    ~ResourceDatabaseHolder() { Close(); }

    static void SetInstallFolder(const char* folder);
    static std::string GetInstallFolder();

    // Holds the database of folderName (null or empty: none, ok). Returns ok: false when
    // the registry gave no database.
    bool Open(const char* folderName);
    // Gives the held database back to the registry (null: nothing) and forgets it.
    void Release();
    // Clears ok and releases.
    void Close();

    KodrinResourceDatabase* GetDatabase() const { return database_; }
    bool IsOk() const { return ok_; }

  private:
    KodrinResourceDatabase* database_ = nullptr;
    bool ok_ = false;
};
