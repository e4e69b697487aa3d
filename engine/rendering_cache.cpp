// The engine's list cache and the rendering-cache manager.
#include "engine/rendering_cache.h"

#include "engine/material.h"

namespace Kiv {

void ChunkListCache::Render(Display& display, Viewport* viewport) {
    for (const Entry& entry : entries_) {
        entry.material->RenderChunk(display, viewport, entry.chunk, entry.lights, entry.model, -1);
    }
    entries_.clear();
}

void ChunkListCache::AddChunk(Display&, Viewport*, Material* material, GeometryChunk* chunk,
                              const LightList* lights, const Matrix4* model) {
    if (material && chunk) entries_.push_back({material, chunk, lights, model});
}

RenderingCacheManager::~RenderingCacheManager() {
    for (RenderingCache* cache : caches_) cache->ReleaseReference();
}

void RenderingCacheManager::AddCache(RenderingCache* cache) {
    if (!cache) return;
    cache->AddReference();
    caches_.push_back(cache);
}

RenderingCache* RenderingCacheManager::FindCache(const char* id) const {
    for (RenderingCache* cache : caches_) {
        if (cache->GetCacheId() != id) continue;
        cache->AddReference();
        return cache;
    }
    return nullptr;
}

}  // namespace Kiv
