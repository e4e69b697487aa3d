// Kiv::KodrinAlphaBlendCache: the alpha-blend cache the materials share (it carries the
// engine's alpha-blend cache identity). Chunks go into 200 depth buckets over 1000 units
// by the length of their model matrix's translation; chunks in the 70 nearest buckets have
// their primitives sorted far to near and re-emitted as independent primitives. Render
// draws the buckets far to near, each bucket's entries by descending key (equal keys: the
// one added last first), and empties them. Enter and Leave with "nested" open and close a
// further set of 200 buckets, so a nested scene sorts apart from the outer one.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "engine/rendering_cache.h"

namespace Kiv {

class KodrinAlphaBlendCache : public AlphaBlendCache {
public:
    static constexpr int kBucketsPerSet = 200;
    static constexpr float kRange = 1000.0f;
    static constexpr int kSortedBucketLimit = 70;

    KodrinAlphaBlendCache();
    ~KodrinAlphaBlendCache() override;

    void Reset() override;
    void Prepare() override {}
    void Render(Display& display, Viewport* viewport) override;
    void Enter(Display& display, Viewport* viewport, bool nested) override;
    void Leave(Display& display, Viewport* viewport, bool nested) override;
    bool IsEmpty() const override;
    void AddChunk(Display& display, Viewport* viewport, Material* material, GeometryChunk* chunk,
                  const LightList* lights, const Matrix4* model) override;
    void SetFarDistance(float distance) override;
    SortCompare GetSortCompare() const override;
    void BeginAlphaStates(Display& display) override;
    void EndAlphaStates(Display& display) override;

    // The distance estimate of a model matrix: |translation| by d^2 x (1 / sqrt(d^2)), the
    // inverse square root from the 0x5F3759DF estimate and one Newton-Raphson step.
    static float Distance(const Matrix4* model);
    // The bucket of a distance within a set: truncate(0.2 x distance) in 0..199.
    static int BucketOf(float distance);

    float GetFarDistance() const { return farDistance_; }
    int GetFarBucketCount() const { return farBucketCount_; }
    int GetCurrentSet() const { return currentSet_; }
    // The entry count of a bucket of the current set (for tests and diagnostics).
    size_t GetBucketCount(int bucket) const;
    size_t GetAllocatedEntryCount() const { return allEntries_.size(); }

    // One primitive being sorted, as the sort comparator sees it.
    struct SortItem {
        int primitive;
        float key;
    };

private:
    struct AlphaEntry {
        GeometryChunk* chunk = nullptr;
        Material* material = nullptr;
        const LightList* lights = nullptr;
        const Matrix4* model = nullptr;
        std::vector<uint16_t> sortedIndices;  // empty: the chunk draws whole
        int primitiveCount = 0;
        int primitiveType = 0;
        float key = 0;
    };
    // Keyed by entry key; an equal key goes after those already there.
    using Bucket = std::multimap<float, AlphaEntry*>;

    AlphaEntry* TakeEntry();
    void EmptyBucket(Bucket& bucket);
    void SortPrimitives(AlphaEntry& entry);

    std::vector<Bucket> buckets_;
    int currentSet_ = 0;
    float bucketScale_ = 0.2f;
    float farDistance_ = 250.0f;
    int farBucketCount_ = 50;
    std::vector<std::unique_ptr<AlphaEntry>> allEntries_;
    std::vector<AlphaEntry*> freeEntries_;
    std::vector<SortItem> sortScratch_;
};

// Kiv::AlphaBlendCacheUnsorted: draws what it was given in the order given, blended with
// (source alpha, one minus source alpha), restoring the display's blend factors after.
class AlphaBlendCacheUnsorted : public RenderingCache {
public:
    static constexpr const char* kName = "AlphaBlendCacheUnsorted";
    static constexpr float kPriority = 55.0f;

    AlphaBlendCacheUnsorted();
    ~AlphaBlendCacheUnsorted() override;
    // The living instance, or null.
    static AlphaBlendCacheUnsorted* Instance();

    void Reset() override;
    void Prepare() override { Reset(); }
    void Render(Display& display, Viewport* viewport) override;
    bool IsEmpty() const override { return chunks_.empty(); }
    void AddChunk(Display& display, Viewport* viewport, Material* material, GeometryChunk* chunk,
                  const LightList* lights, const Matrix4* model) override;
    void BeginAlphaStates(Display& display);
    void EndAlphaStates(Display& display);

private:
    std::vector<GeometryChunk*> chunks_;
    std::vector<Material*> materials_;
    std::vector<const Matrix4*> matrices_;
    std::vector<const LightList*> lights_;
    int savedSource_ = 1;
    int savedDestination_ = 0;
};

}  // namespace Kiv
