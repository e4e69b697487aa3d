// Kiv::ResourceDatabase: resolves resource names inside one folder. The folder name is a
// location (a File::Subst name such as "local") or a plain path; when an archive is mounted
// under that name (File::Subst with isFolder false) every name is looked up in the archive
// and the folder is not read, so the archive wins over loose files.
//
// Get makes the resource of the type the name selects (engine/README.md): the binary type
// of the name's extension when the file itself exists, else the text type when
// "<name>.txt" exists. Resources are shared through the current resource system's cache; a
// database that goes detaches the resources still held elsewhere and drops its cache
// entries.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "engine/pstring.h"
#include "engine/resource.h"
#include "engine/string.h"

namespace Kiv {

class FileBytes;
class ResourceArchive;

// The entries of one search, in byte order of their names; "." and ".." never appear.
class ResourceSearch {
public:
    struct Entry {
        std::string name;
        bool isFolder = false;
    };
    // Moves to the next entry; false when there are no more.
    bool Next() { return ++next_ <= entries_.size(); }
    const char* GetName() const { return entries_[next_ - 1].name.c_str(); }
    bool IsFolder() const { return entries_[next_ - 1].isFolder; }

private:
    friend class ResourceDatabase;
    std::vector<Entry> entries_;
    size_t next_ = 0;
};

class ResourceDatabase {
public:
    // Get flags. Without kGetCreate, Get hands out only a resource already cached.
    enum GetFlags : uint32_t { kGetCreate = 0x2 };

    explicit ResourceDatabase(const PString& folderName);
    ResourceDatabase(const ResourceDatabase&) = delete;
    ResourceDatabase& operator=(const ResourceDatabase&) = delete;
    virtual ~ResourceDatabase();

    const PString& GetFolderName() const { return folderName_; }
    // Whether an archive stands for the folder now.
    bool IsArchive() const;

    // The resource of name with one reference for the caller, or null when no type
    // serves it, its source does not exist, or it cannot be made.
    Resource* Get(const PString& name, uint32_t flags = kGetCreate);
    // Whether a file (not a folder) of that name exists in the database.
    bool Exists(const char* name) const;
    // The name as a path under the folder name ("local/a/b.im"), for messages and for
    // File calls on a folder database.
    String GetFileName(const char* name) const;
    // The entries of one folder of the database matching pattern's last component ("*"
    // and "?" wildcards, ASCII case ignored: "meshes/*.im"). False when that folder
    // cannot be read.
    bool GetSearchHandle(const char* pattern, ResourceSearch& search) const;
    // A file's bytes (at most ResourceArchive::kMaxEntryRead); false when it is missing,
    // too large or unreadable.
    bool ReadFile(const char* name, std::vector<uint8_t>& bytes) const;
    // The same content, with a loose file mapped read-only instead of copied (a file
    // that cannot be mapped is read).
    bool ReadFile(const char* name, FileBytes& bytes) const;

private:
    friend class Resource;
    void Attach(Resource* resource);
    void Detach(Resource* resource);
    Resource* Create(const PString& name);
    std::string LoosePath(const char* name) const;

    PString folderName_;
    mutable std::mutex lock_;
    std::set<Resource*> resources_;  // every live resource made for this database
};

}  // namespace Kiv
