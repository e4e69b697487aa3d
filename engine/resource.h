// Kiv::Resource: one engine resource (a mesh, a texture, a material) named within a
// resource database. Resources are reference-counted (the creator's reference, the
// resource system's cache, each user) and loaded on demand: the first Lock reads the
// resource's source, running Load for the binary form (the file of the resource's own
// name) or LoadTxt for the text form ("<name>.txt"), then LoadComplete. A failed load is
// remembered: later locks fail without reading again. Unlock gives the lock back; the
// loaded data stays until the resource is deleted, which the cache does for resources no
// one references (ResourceSystem::DumpUnusedResourcesFromCache).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

#include "engine/pstring.h"

namespace Kiv {

class ResourceDatabase;

class Resource {
public:
    enum class Form { kBinary, kText };
    enum class LoadState { kNotLoaded, kLoaded, kFailed };

    // name is the resource's name within database (may be null: the resource then has no
    // source and every load fails).
    Resource(const PString& name, ResourceDatabase* database, Form form = Form::kBinary);
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    void AddReference() { references_.fetch_add(1, std::memory_order_relaxed); }
    // One reference less; the last one deletes the resource.
    void Release();
    int32_t GetReferenceCount() const { return references_.load(); }

    // Loads on the first lock; true when the resource is loaded (and then locked once more).
    bool Lock();
    // One lock less; an unlock without a lock changes nothing.
    void Unlock();
    int32_t GetLockCount() const;
    LoadState GetLoadState() const;

    // Engine resource results of IsAllLoaded.
    enum AllLoaded : int { kAllLoaded = 0, kAllFailed = 1, kAllPending = 5 };
    // Loads the resource when not yet tried; true when it is loaded.
    virtual bool LoadAll();
    // kAllLoaded, kAllFailed, or kAllPending while not yet loaded.
    virtual int IsAllLoaded() const;
    int GetPriority() const { return priority_; }
    void SetPriority(int priority) { priority_ = priority; }
    // Bytes the resource object takes, and the bytes of its loaded data (an estimate).
    virtual size_t CalculateSize() const { return sizeof(Resource); }
    virtual size_t CalculateDataSize() const { return 0; }

    const PString& GetName() const { return name_; }
    Form GetForm() const { return form_; }
    // The database the resource comes from; null once that database is gone.
    ResourceDatabase* GetDatabase() const;
    // The folder name of that database, kept when the database goes.
    const PString& GetOwnerName() const { return ownerName_; }
    // A name written inside this resource, relative to the resource's folder, as a name
    // of the database: "<folder>/<name>", or name alone when the resource has no folder.
    PString ConvertResourceName(std::string_view name) const;

protected:
    virtual ~Resource();

    // The binary form: read the file of name through the database (ReadSource) and build
    // the resource. The engine's own resources have no binary form: false.
    virtual bool Load(const char* name);
    // The text form: text is the whole of "<name>.txt". False by default.
    virtual bool LoadTxt(std::string_view text);
    // After a successful Load or LoadTxt; true by default.
    virtual bool LoadComplete();

    // The bytes of a file of the database (the resource's own file for the binary form);
    // false when there is no database or no such file.
    bool ReadSource(const char* fileName, std::vector<uint8_t>& bytes) const;

private:
    friend class ResourceDatabase;
    void DetachDatabase();
    bool LoadSource();

    std::atomic<int32_t> references_{1};
    PString name_;
    PString ownerName_;
    Form form_;
    mutable std::recursive_mutex lock_;
    ResourceDatabase* database_;
    int32_t locks_ = 0;
    LoadState state_ = LoadState::kNotLoaded;
    int priority_ = 0;
};

}  // namespace Kiv
