// The current resource system and its cache.
#include "engine/resource_system.h"

#include <atomic>
#include <vector>

#include "engine/ascii.h"
#include "engine/resource.h"

namespace Kiv {

namespace {

std::atomic<ResourceSystem*> g_current{nullptr};

void ReleaseAll(const std::vector<Resource*>& resources) {
    for (Resource* resource : resources) resource->Release();
}

}  // namespace

ResourceSystem::ResourceSystem() {
    ResourceSystem* none = nullptr;
    g_current.compare_exchange_strong(none, this);
}

ResourceSystem::~ResourceSystem() {
    ResourceSystem* self = this;
    g_current.compare_exchange_strong(self, nullptr);
    std::vector<Resource*> held;
    for (const auto& [key, resource] : cache_) held.push_back(resource);
    cache_.clear();
    ReleaseAll(held);
}

ResourceSystem* ResourceSystem::Current() { return g_current.load(); }

void ResourceSystem::Init(const Options&) { initialised_ = true; }

ResourceSystem::Key ResourceSystem::KeyOf(const ResourceDatabase* database,
                                          std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = c == '\\' ? '/' : Ascii::ToLower(c);
    return {database, std::move(folded)};
}

Resource* ResourceSystem::FindCached(const ResourceDatabase* database, std::string_view name) {
    const std::lock_guard<std::mutex> hold(lock_);
    auto found = cache_.find(KeyOf(database, name));
    if (found == cache_.end()) return nullptr;
    found->second->AddReference();
    return found->second;
}

Resource* ResourceSystem::AddToCache(const ResourceDatabase* database, std::string_view name,
                                     Resource* made) {
    Resource* cached = nullptr;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        auto [place, added] = cache_.emplace(KeyOf(database, name), made);
        cached = place->second;
        cached->AddReference();
    }
    if (cached != made) made->Release();
    return cached;
}

void ResourceSystem::ForgetDatabase(const ResourceDatabase* database) {
    std::vector<Resource*> dropped;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        for (auto it = cache_.begin(); it != cache_.end();) {
            if (it->first.first != database) {
                ++it;
                continue;
            }
            dropped.push_back(it->second);
            it = cache_.erase(it);
        }
    }
    ReleaseAll(dropped);
}

size_t ResourceSystem::DumpUnusedResourcesFromCache() {
    size_t total = 0;
    for (;;) {
        std::vector<Resource*> unused;
        {
            const std::lock_guard<std::mutex> hold(lock_);
            for (auto it = cache_.begin(); it != cache_.end();) {
                Resource* resource = it->second;
                if (resource->GetReferenceCount() != 1 || resource->GetLockCount() != 0) {
                    ++it;
                    continue;
                }
                unused.push_back(resource);
                it = cache_.erase(it);
            }
        }
        if (unused.empty()) return total;
        total += unused.size();
        ReleaseAll(unused);
    }
}

bool ResourceSystem::DumpUnusedResource(const ResourceDatabase* database, std::string_view name) {
    Resource* unused = nullptr;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        auto found = cache_.find(KeyOf(database, name));
        if (found == cache_.end()) return false;
        Resource* resource = found->second;
        if (resource->GetReferenceCount() != 1 || resource->GetLockCount() != 0) return false;
        unused = resource;
        cache_.erase(found);
    }
    unused->Release();
    return true;
}

size_t ResourceSystem::GetCacheSize() const {
    const std::lock_guard<std::mutex> hold(lock_);
    return cache_.size();
}

}  // namespace Kiv
