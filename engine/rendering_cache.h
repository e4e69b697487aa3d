// Rendering caches: where materials put chunks to draw later in the frame, and the
// render kernel's manager that holds them. A cache has an id (the class's cache identity,
// under which FindCache finds it), a priority and the virtual frame operations. The engine's
// own caches (alpha blend, alpha mask, material chunks, unsorted alpha blend) keep their
// chunks in a list and draw them in the order given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/alloc.h"
#include "engine/scene.h"

namespace Kiv {

class Display;
class GeometryChunk;
class Material;

class RenderingCache : public ReferenceCount {
public:
    RenderingCache(const char* id, float priority) : id_(id), priority_(priority) {}

    const std::string& GetCacheId() const { return id_; }
    float GetPriority() const { return priority_; }

    virtual void SetHost(void*) {}
    virtual void Activate() {}
    virtual void Reset() {}
    virtual void Prepare() {}
    virtual void Render(Display&, Viewport*) {}
    virtual void Flush() {}
    virtual void Enter(Display&, Viewport*, bool) {}
    virtual void Leave(Display&, Viewport*, bool) {}
    virtual bool IsEmpty() const { return true; }
    virtual void AddChunk(Display&, Viewport*, Material*, GeometryChunk*, const LightList*,
                          const Matrix4*) {}

private:
    std::string id_;
    float priority_;
};

// The engine's list cache: chunks drawn in the order added, then forgotten.
class ChunkListCache : public RenderingCache {
public:
    using RenderingCache::RenderingCache;
    void Reset() override { entries_.clear(); }
    void Render(Display& display, Viewport* viewport) override;
    bool IsEmpty() const override { return entries_.empty(); }
    void AddChunk(Display& display, Viewport* viewport, Material* material, GeometryChunk* chunk,
                  const LightList* lights, const Matrix4* model) override;

private:
    struct Entry {
        Material* material;
        GeometryChunk* chunk;
        const LightList* lights;
        const Matrix4* model;
    };
    std::vector<Entry> entries_;
};

class AlphaBlendCache : public ChunkListCache {
public:
    static constexpr const char* AlphaBlendCacheID = "AlphaBlendCache";
    static constexpr float kPriority = 50.0f;
    AlphaBlendCache() : ChunkListCache(AlphaBlendCacheID, kPriority) {}

    virtual void SetFarDistance(float) {}
    virtual void SetMaxBuckets(int) {}
    // The primitive-sort comparator (qsort form) of a sorting cache; null here.
    using SortCompare = int (*)(const void*, const void*);
    virtual SortCompare GetSortCompare() const { return nullptr; }
    virtual void RecalculateBucketParametrs() {}
    virtual void BeginAlphaStates(Display&) {}
    virtual void EndAlphaStates(Display&) {}
};

class AlphaMaskCache : public ChunkListCache {
public:
    static constexpr const char* AlphaMaskCacheID = "AlphaMaskCache";
    AlphaMaskCache() : ChunkListCache(AlphaMaskCacheID, 20.0f) {}
};

class MaterialChunkCache : public ChunkListCache {
public:
    static constexpr const char* MaterialChunkCacheID = "MaterialChunkCache";
    MaterialChunkCache() : ChunkListCache(MaterialChunkCacheID, 10.0f) {}
};

class UnsortedAlphaBlendCache : public ChunkListCache {
public:
    static constexpr const char* UnsortedAlphaBlendCacheID = "UnsortedAlphaBlendCache";
    UnsortedAlphaBlendCache() : ChunkListCache(UnsortedAlphaBlendCacheID, 60.0f) {}
};

class RenderingCacheManager {
public:
    RenderingCacheManager() = default;
    ~RenderingCacheManager();
    RenderingCacheManager(const RenderingCacheManager&) = delete;
    RenderingCacheManager& operator=(const RenderingCacheManager&) = delete;

    // Holds a reference of its own to cache (null: nothing).
    void AddCache(RenderingCache* cache);
    // The first added cache of that id with one reference for the caller, or null.
    RenderingCache* FindCache(const char* id) const;
    const std::vector<RenderingCache*>& GetCaches() const { return caches_; }

private:
    std::vector<RenderingCache*> caches_;
};

}  // namespace Kiv
