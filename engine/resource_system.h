// Kiv::ResourceSystem: the engine's cache of resources (meshes, textures, materials). The
// program makes one at start-up and destroys it at shut-down; while it lives it is the
// current system, through which every resource database shares its resources: a cached
// resource is handed out again by the next Get of the same database and name (names
// compare ignoring ASCII case, either separator). The cache holds one reference of each
// resource; DumpUnusedResourcesFromCache deletes those that only the cache references and
// no one has locked. Safe from any thread.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "engine/options.h"

namespace Kiv {

class Resource;
class ResourceDatabase;

class ResourceSystem {
public:
    // The first system made while none is current becomes the current one.
    ResourceSystem();
    ResourceSystem(const ResourceSystem&) = delete;
    ResourceSystem& operator=(const ResourceSystem&) = delete;
    // Releases the cache's references (resources held elsewhere live on).
    ~ResourceSystem();

    static ResourceSystem* Current();

    void Init(const Options& options);
    bool IsInitialised() const { return initialised_; }

    // The cached resource of database and name with one reference added, or null.
    Resource* FindCached(const ResourceDatabase* database, std::string_view name);
    // Caches made (taking over the caller's reference) unless that place is taken, in
    // which case made is released; returns the cached resource with one reference for the
    // caller.
    Resource* AddToCache(const ResourceDatabase* database, std::string_view name, Resource* made);
    // Drops every cache entry of database.
    void ForgetDatabase(const ResourceDatabase* database);
    // Deletes the cached resources no one else references or locks (again, while a pass
    // frees any); returns how many went.
    size_t DumpUnusedResourcesFromCache();
    // The same for the one resource of database and name (either separator, any case);
    // true when it went.
    bool DumpUnusedResource(const ResourceDatabase* database, std::string_view name);
    size_t GetCacheSize() const;

private:
    using Key = std::pair<const ResourceDatabase*, std::string>;
    static Key KeyOf(const ResourceDatabase* database, std::string_view name);

    bool initialised_ = false;
    mutable std::mutex lock_;
    std::map<Key, Resource*> cache_;
};

}  // namespace Kiv
