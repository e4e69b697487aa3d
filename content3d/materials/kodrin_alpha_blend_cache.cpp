// The depth-bucket alpha-blend cache: placing chunks, sorting near primitives, drawing.
#include "content3d/materials/kodrin_alpha_blend_cache.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "engine/display.h"
#include "engine/geometry_chunk.h"
#include "engine/material.h"

namespace Kiv {

namespace {

constexpr int kBlendSource = 4;       // source alpha
constexpr int kBlendDestination = 5;  // one minus source alpha
constexpr size_t kBucketGrowth = 128;

float InverseSquareRoot(float x) {
    const uint32_t estimate = 0x5F3759DFu - (std::bit_cast<uint32_t>(x) >> 1);
    const float y = std::bit_cast<float>(estimate);
    return y * (1.5f - 0.5f * x * y * y);
}

// A key not a number (from damaged vertices) ranks below every other.
float Rank(float key) {
    return std::isnan(key) ? -std::numeric_limits<float>::infinity() : key;
}

// Larger keys first.
int CompareKeysDescending(const void* a, const void* b) {
    const float left = Rank(static_cast<const KodrinAlphaBlendCache::SortItem*>(a)->key);
    const float right = Rank(static_cast<const KodrinAlphaBlendCache::SortItem*>(b)->key);
    if (left > right) return -1;
    if (left < right) return 1;
    return 0;
}

// How a primitive kind is walked: vertices per primitive, index step, re-emitted type.
struct KindWalk {
    uint32_t kind;
    int vertices;
    int step;
    int emittedType;
};

constexpr KindWalk kKindWalks[] = {
    {0, 1, 1, kPrimitivePoints},       {1, 2, 2, kPrimitiveLineList},
    {2, 2, 1, kPrimitiveLineList},     {4, 3, 3, kPrimitiveTriangleList},
    {8, 3, 1, kPrimitiveTriangleList}, {16, 3, 1, kPrimitiveTriangleList},
};

// The primitive count of a kind over indices, never negative; a triangle list's own
// count is cut to what its indices hold.
int PrimitivesOf(const KindWalk& walk, const GeometryChunk& chunk) {
    const int indices = chunk.GetIndexCount();
    int count = 0;
    switch (walk.kind) {
        case 0: count = indices; break;
        case 1: count = indices / 2; break;
        case 2: count = indices - 1; break;
        case 4: count = std::min(chunk.GetPrimitiveCount(), indices / 3); break;
        default: count = indices - 2; break;
    }
    return std::max(count, 0);
}

// Index positions of primitive k: fans turn about position 0; a strip's odd triangles
// swap their first two corners to keep the strip's winding.
void PrimitivePositions(const KindWalk& walk, int k, int positions[3]) {
    if (walk.kind == 16) {
        positions[0] = 0;
        positions[1] = k + 1;
        positions[2] = k + 2;
        return;
    }
    for (int v = 0; v < walk.vertices; ++v) positions[v] = k * walk.step + v;
    if (walk.kind == 8 && (k & 1)) std::swap(positions[0], positions[1]);
}

}  // namespace

KodrinAlphaBlendCache::KodrinAlphaBlendCache() : buckets_(kBucketsPerSet) {}

KodrinAlphaBlendCache::~KodrinAlphaBlendCache() = default;

float KodrinAlphaBlendCache::Distance(const Matrix4* model) {
    if (!model) return 0;
    const Vector3 t = model->GetTranslation();
    const float squared = t.x * t.x + t.y * t.y + t.z * t.z;
    if (std::isinf(squared)) return squared;  // beyond the estimate's range: far
    return squared * InverseSquareRoot(squared);
}

int KodrinAlphaBlendCache::BucketOf(float distance) {
    const float scaled = (kBucketsPerSet / kRange) * distance;
    if (!(scaled >= 0)) return 0;  // also NaN
    if (scaled >= kBucketsPerSet - 1) return kBucketsPerSet - 1;
    return static_cast<int>(scaled);
}

KodrinAlphaBlendCache::AlphaEntry* KodrinAlphaBlendCache::TakeEntry() {
    if (freeEntries_.empty()) {
        allEntries_.push_back(std::make_unique<AlphaEntry>());
        return allEntries_.back().get();
    }
    AlphaEntry* entry = freeEntries_.back();
    freeEntries_.pop_back();
    return entry;
}

void KodrinAlphaBlendCache::EmptyBucket(Bucket& bucket) {
    for (auto& [key, entry] : bucket) {
        entry->sortedIndices.clear();
        freeEntries_.push_back(entry);
    }
    bucket.clear();
}

void KodrinAlphaBlendCache::AddChunk(Display&, Viewport*, Material* material,
                                     GeometryChunk* chunk, const LightList* lights,
                                     const Matrix4* model) {
    if (!material || !chunk) return;
    const float distance = Distance(model);
    const int bucket = BucketOf(distance);
    AlphaEntry* entry = TakeEntry();
    entry->chunk = chunk;
    entry->material = material;
    entry->lights = lights;
    entry->model = model;
    entry->key = distance;
    entry->primitiveCount = chunk->GetPrimitiveCount();
    entry->primitiveType = GeometryChunk::primitiveLookup(chunk->GetPrimitiveKind());
    if (bucket < kSortedBucketLimit) SortPrimitives(*entry);
    if (std::isnan(entry->key)) entry->key = 0;  // the tree needs ordered keys
    buckets_[currentSet_ + bucket].emplace(entry->key, entry);
}

void KodrinAlphaBlendCache::SortPrimitives(AlphaEntry& entry) {
    const GeometryChunk& chunk = *entry.chunk;
    const KindWalk* walk = nullptr;
    for (const KindWalk& candidate : kKindWalks) {
        if (candidate.kind == chunk.GetPrimitiveKind()) walk = &candidate;
    }
    const uint16_t* indices = chunk.GetIndices();
    const int count = walk && indices ? PrimitivesOf(*walk, chunk) : 0;
    if (count == 0) return;

    const Matrix4 model = entry.model ? *entry.model : Matrix4();
    const Vector3 t = model.GetTranslation();
    const Vector3 eye{-(t.x * model.At(0, 0) + t.y * model.At(0, 1) + t.z * model.At(0, 2)),
                      -(t.x * model.At(1, 0) + t.y * model.At(1, 1) + t.z * model.At(1, 2)),
                      -(t.x * model.At(2, 0) + t.y * model.At(2, 1) + t.z * model.At(2, 2))};
    sortScratch_.resize(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        int positions[3];
        PrimitivePositions(*walk, k, positions);
        Vector3 centre;
        for (int v = 0; v < walk->vertices; ++v) {
            const Vector3 p = chunk.GetPosition(indices[positions[v]]);
            centre.x += p.x / walk->vertices;
            centre.y += p.y / walk->vertices;
            centre.z += p.z / walk->vertices;
        }
        const Vector3 d{centre.x - eye.x, centre.y - eye.y, centre.z - eye.z};
        sortScratch_[k] = {k, d.x * d.x + d.y * d.y + d.z * d.z};
    }
    std::qsort(sortScratch_.data(), sortScratch_.size(), sizeof(SortItem), GetSortCompare());
    entry.key = (sortScratch_.front().key + sortScratch_.back().key) / 2;
    entry.sortedIndices.clear();
    entry.sortedIndices.reserve(static_cast<size_t>(count) * walk->vertices);
    for (const SortItem& item : sortScratch_) {
        int positions[3];
        PrimitivePositions(*walk, item.primitive, positions);
        for (int v = 0; v < walk->vertices; ++v) entry.sortedIndices.push_back(indices[positions[v]]);
    }
    entry.primitiveCount = count;
    entry.primitiveType = walk->emittedType;
}

AlphaBlendCache::SortCompare KodrinAlphaBlendCache::GetSortCompare() const {
    return CompareKeysDescending;
}

void KodrinAlphaBlendCache::BeginAlphaStates(Display& display) {
    display.SetAlphaTest(false);
    display.SetAlphaBlendEnable(true);
    display.SetDepthWrite(false);
}

void KodrinAlphaBlendCache::EndAlphaStates(Display& display) {
    display.SetBlendFactors(1, 0);
    display.SetAlphaBlendEnable(false);
    display.SetAlphaTest(false);
    display.SetDepthWrite(true);
}

void KodrinAlphaBlendCache::Render(Display& display, Viewport* viewport) {
    BeginAlphaStates(display);
    for (int bucket = kBucketsPerSet - 1; bucket >= 0; --bucket) {
        Bucket& entries = buckets_[currentSet_ + bucket];
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            AlphaEntry& entry = *it->second;
            display.SetBlendFactors(kBlendSource, kBlendDestination);
            if (!entry.sortedIndices.empty()) {
                entry.material->RenderPrimitives(
                    display, viewport, entry.chunk, entry.lights, entry.model,
                    static_cast<int>(entry.sortedIndices.size()), entry.sortedIndices.data(),
                    entry.primitiveCount, entry.primitiveType, -1);
            } else {
                entry.material->RenderChunk(display, viewport, entry.chunk, entry.lights,
                                            entry.model, -1);
            }
        }
        EmptyBucket(entries);
    }
    EndAlphaStates(display);
}

void KodrinAlphaBlendCache::Reset() {
    for (int bucket = 0; bucket < kBucketsPerSet; ++bucket) EmptyBucket(buckets_[currentSet_ + bucket]);
}

bool KodrinAlphaBlendCache::IsEmpty() const {
    for (int bucket = 0; bucket < kBucketsPerSet; ++bucket) {
        if (!buckets_[currentSet_ + bucket].empty()) return false;
    }
    return true;
}

size_t KodrinAlphaBlendCache::GetBucketCount(int bucket) const {
    if (bucket < 0 || bucket >= kBucketsPerSet) return 0;
    return buckets_[currentSet_ + bucket].size();
}

void KodrinAlphaBlendCache::Enter(Display&, Viewport*, bool nested) {
    if (!nested) return;
    currentSet_ += kBucketsPerSet;
    if (buckets_.size() < static_cast<size_t>(currentSet_ + kBucketsPerSet)) {
        const size_t wanted = static_cast<size_t>(currentSet_ + kBucketsPerSet);
        buckets_.reserve((wanted + kBucketGrowth - 1) / kBucketGrowth * kBucketGrowth);
        buckets_.resize(wanted);
    }
    Reset();
}

void KodrinAlphaBlendCache::Leave(Display& display, Viewport* viewport, bool nested) {
    if (!nested || currentSet_ == 0) return;
    Render(display, viewport);
    currentSet_ -= kBucketsPerSet;
}

void KodrinAlphaBlendCache::SetFarDistance(float distance) {
    farDistance_ = distance;
    const float buckets = distance * bucketScale_;
    farBucketCount_ = buckets >= 0 && buckets < 1e9f ? static_cast<int>(buckets) : 0;
}

namespace {

AlphaBlendCacheUnsorted* g_unsortedInstance = nullptr;

}  // namespace

AlphaBlendCacheUnsorted::AlphaBlendCacheUnsorted() : RenderingCache(kName, kPriority) {
    g_unsortedInstance = this;
}

AlphaBlendCacheUnsorted::~AlphaBlendCacheUnsorted() {
    if (g_unsortedInstance == this) g_unsortedInstance = nullptr;
}

AlphaBlendCacheUnsorted* AlphaBlendCacheUnsorted::Instance() {
    return g_unsortedInstance;
}

void AlphaBlendCacheUnsorted::Reset() {
    chunks_.clear();
    materials_.clear();
    matrices_.clear();
    lights_.clear();
}

void AlphaBlendCacheUnsorted::AddChunk(Display&, Viewport*, Material* material,
                                       GeometryChunk* chunk, const LightList* lights,
                                       const Matrix4* model) {
    if (!material || !chunk) return;
    chunks_.push_back(chunk);
    materials_.push_back(material);
    matrices_.push_back(model);
    lights_.push_back(lights);
}

void AlphaBlendCacheUnsorted::BeginAlphaStates(Display& display) {
    display.GetBlendFactors(savedSource_, savedDestination_);
    display.SetBlendFactors(kBlendSource, kBlendDestination);
    display.SetAlphaTest(false);
    display.SetAlphaBlendEnable(true);
    display.SetDepthWrite(false);
}

void AlphaBlendCacheUnsorted::EndAlphaStates(Display& display) {
    display.SetBlendFactors(savedSource_, savedDestination_);
    display.SetAlphaBlendEnable(false);
    display.SetAlphaTest(false);
    display.SetDepthWrite(true);
}

void AlphaBlendCacheUnsorted::Render(Display& display, Viewport* viewport) {
    BeginAlphaStates(display);
    for (size_t i = 0; i < chunks_.size(); ++i) {
        materials_[i]->RenderChunk(display, viewport, chunks_[i], lights_[i], matrices_[i], -1);
    }
    EndAlphaStates(display);
}

}  // namespace Kiv
