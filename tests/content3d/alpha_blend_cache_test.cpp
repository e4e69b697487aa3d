// The alpha-blend caches: the depth bucket of a chunk, the per-primitive sort of near
// chunks (fans and strips re-emitted as triangles, winding kept), the drawing order, entry
// recycling, nested sets, the states set around drawing, and the unsorted cache.
#include "content3d/materials/kodrin_alpha_blend_cache.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "engine/display.h"
#include "engine/geometry_chunk.h"
#include "engine/material.h"

namespace {

using Lines = std::vector<std::string>;

// A material that notes what the cache asks it to draw.
class NotingMaterial final : public Kiv::Material {
public:
    struct Draw {
        const Kiv::GeometryChunk* chunk;
        std::vector<uint16_t> indices;  // empty: the whole chunk
        int primitiveCount;
        int primitiveType;
    };
    NotingMaterial() : Material(nullptr) {}
    Material* Clone() const override { return nullptr; }
    void RenderChunk(Kiv::Display&, Kiv::Viewport*, Kiv::GeometryChunk* chunk, const Kiv::LightList*,
                     const Kiv::Matrix4*, int) override {
        draws.push_back({chunk, {}, chunk->GetPrimitiveCount(), -1});
    }
    void RenderPrimitives(Kiv::Display&, Kiv::Viewport*, Kiv::GeometryChunk* chunk,
                          const Kiv::LightList*, const Kiv::Matrix4*, int indexCount,
                          const uint16_t* indices, int primitiveCount, int primitiveType,
                          int) override {
        draws.push_back({chunk, std::vector<uint16_t>(indices, indices + indexCount), primitiveCount,
                         primitiveType});
    }
    std::vector<Draw> draws;
};

class AlphaBlendCacheTest : public ::testing::Test {
protected:
    ~AlphaBlendCacheTest() override {
        cache_->ReleaseReference();
        material_->ReleaseReference();
    }

    // A chunk of a primitive kind with vertices along x at 0, 1, 2, ... and the indices given.
    Kiv::GeometryChunk* Chunk(uint32_t kind, std::vector<uint16_t> indices, int faces = -1) {
        const int vertices = 8;
        std::unique_ptr<Kiv::GeometryChunk, ChunkReleaser> chunk(new Kiv::GeometryChunk(
            vertices, faces < 0 ? 1 : faces, static_cast<int>(indices.size()), 0, kind | 0x40,
            Kiv::StandardChunkHint(), std::vector<int>{Kiv::kItemPosition}));
        for (int i = 0; i < vertices; ++i) chunk->GetFloatItem(Kiv::kItemPosition)[3 * i] = float(i);
        std::copy(indices.begin(), indices.end(), chunk->GetIndices());
        chunks_.push_back(std::move(chunk));
        return chunks_.back().get();
    }
    Kiv::Matrix4* At(float x) {
        matrices_.push_back(std::make_unique<Kiv::Matrix4>(Kiv::Matrix4::Translation({x, 0, 0})));
        return matrices_.back().get();
    }
    void Add(Kiv::GeometryChunk* chunk, const Kiv::Matrix4* model) {
        cache_->AddChunk(display_, nullptr, material_, chunk, nullptr, model);
    }
    struct ChunkReleaser {
        void operator()(Kiv::GeometryChunk* chunk) const { chunk->ReleaseReference(); }
    };

    Kiv::Display display_;
    Kiv::KodrinAlphaBlendCache* cache_ = new Kiv::KodrinAlphaBlendCache;
    NotingMaterial* material_ = new NotingMaterial;
    std::vector<std::unique_ptr<Kiv::GeometryChunk, ChunkReleaser>> chunks_;
    std::vector<std::unique_ptr<Kiv::Matrix4>> matrices_;
};

TEST_F(AlphaBlendCacheTest, BucketsByDistanceAndNearOnesSorted) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float x;
        int bucket;
        bool sorted;
    } cases[] = {
        {0, 0, true}, {-110, 21, true}, {349.9f, 69, true}, {352, 70, false},
        {1000, 199, false}, {1e30f, 199, false}, {nan, 0, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Kiv::KodrinAlphaBlendCache::BucketOf(Kiv::KodrinAlphaBlendCache::Distance(At(c.x))),
                  c.bucket)
            << c.x;
        Add(Chunk(4, {0, 1, 2}), At(c.x));
        EXPECT_EQ(cache_->GetBucketCount(c.bucket), 1u) << c.x;
        material_->draws.clear();
        cache_->Render(display_, nullptr);
        ASSERT_EQ(material_->draws.size(), 1u) << c.x;
        EXPECT_EQ(!material_->draws[0].indices.empty(), c.sorted) << c.x;
    }
    EXPECT_NEAR(Kiv::KodrinAlphaBlendCache::Distance(At(352)), 352.0f, 0.5f);
    EXPECT_EQ(Kiv::KodrinAlphaBlendCache::Distance(nullptr), 0.0f);
}

TEST_F(AlphaBlendCacheTest, FarFirstAndEqualKeysNewestFirst) {
    Kiv::GeometryChunk* near = Chunk(4, {0, 1, 2});
    Kiv::GeometryChunk* older = Chunk(4, {0, 1, 2});
    Kiv::GeometryChunk* newer = Chunk(4, {0, 1, 2});
    Kiv::GeometryChunk* far = Chunk(4, {0, 1, 2});
    Add(near, At(400));
    Add(older, At(600));
    Add(newer, At(600));
    Add(far, At(900));
    cache_->Render(display_, nullptr);
    ASSERT_EQ(material_->draws.size(), 4u);
    EXPECT_EQ(material_->draws[0].chunk, far);
    EXPECT_EQ(material_->draws[1].chunk, newer);
    EXPECT_EQ(material_->draws[2].chunk, older);
    EXPECT_EQ(material_->draws[3].chunk, near);
    EXPECT_TRUE(cache_->IsEmpty());
}

// The eye sits at x = -10 in the chunk's space; vertex i is at x = i, so primitives whose
// corners have larger indices are farther and come first.
TEST_F(AlphaBlendCacheTest, NearPrimitivesAreReEmittedFarFirst) {
    const struct {
        const char* what;
        uint32_t kind;
        std::vector<uint16_t> indices;
        int faces;
        std::vector<uint16_t> sorted;  // empty: drawn whole
        int primitives;
        int type;
    } cases[] = {
        {"fan of 5", 16, {0, 1, 2, 3, 4}, 3, {0, 3, 4, 0, 2, 3, 0, 1, 2}, 3, 3},
        // strip triangle 1 is (1, 2, 3) turned the other way: written (2, 1, 3)
        {"strip of 4", 8, {0, 1, 2, 3}, 2, {2, 1, 3, 0, 1, 2}, 2, 3},
        {"triangle list", 4, {0, 1, 2, 3, 4, 5}, 2, {3, 4, 5, 0, 1, 2}, 2, 3},
        // a count above what the indices hold is cut to indices / 3
        {"list claiming 5", 4, {0, 1, 2, 3, 4, 5}, 5, {3, 4, 5, 0, 1, 2}, 2, 3},
        {"line strip", 2, {0, 1, 2}, 2, {1, 2, 0, 1}, 2, 1},
        {"line list", 1, {0, 1, 2, 3}, 2, {2, 3, 0, 1}, 2, 1},
        {"points", 0, {1, 3}, 2, {3, 1}, 2, 0},
        // under three indices a strip or fan has no triangle; a line strip needs two
        {"strip of 2", 8, {0, 1}, 1, {}, 1, -1},
        {"fan of 1", 16, {0}, 1, {}, 1, -1},
        {"empty line strip", 2, {}, 1, {}, 1, -1},
    };
    for (const auto& c : cases) {
        material_->draws.clear();
        Add(Chunk(c.kind, c.indices, c.faces), At(10));
        cache_->Render(display_, nullptr);
        ASSERT_EQ(material_->draws.size(), 1u) << c.what;
        const NotingMaterial::Draw& draw = material_->draws[0];
        EXPECT_EQ(draw.indices, c.sorted) << c.what;
        EXPECT_EQ(draw.primitiveCount, c.sorted.empty() ? c.faces : c.primitives) << c.what;
        EXPECT_EQ(draw.primitiveType, c.type) << c.what;
    }
}

TEST_F(AlphaBlendCacheTest, EntriesAreRecycled) {
    for (int frame = 0; frame < 3; ++frame) {
        for (float x : {10.0f, 500.0f, 900.0f}) Add(Chunk(4, {0, 1, 2}), At(x));
        cache_->Render(display_, nullptr);
        EXPECT_EQ(cache_->GetAllocatedEntryCount(), 3u);
    }
    Add(Chunk(4, {0, 1, 2}), At(10));
    cache_->Reset();
    EXPECT_TRUE(cache_->IsEmpty());
    EXPECT_EQ(cache_->GetAllocatedEntryCount(), 3u);
}

TEST_F(AlphaBlendCacheTest, NestedSetsDrawApart) {
    Kiv::GeometryChunk* outer = Chunk(4, {0, 1, 2});
    Kiv::GeometryChunk* inner = Chunk(4, {0, 1, 2});
    Add(outer, At(500));
    cache_->Enter(display_, nullptr, false);
    EXPECT_EQ(cache_->GetCurrentSet(), 0);
    for (int depth = 1; depth <= 2; ++depth) {
        cache_->Enter(display_, nullptr, true);
        EXPECT_EQ(cache_->GetCurrentSet(), 200 * depth);
        EXPECT_TRUE(cache_->IsEmpty());
    }
    Add(inner, At(500));
    cache_->Leave(display_, nullptr, true);
    cache_->Leave(display_, nullptr, true);
    ASSERT_EQ(material_->draws.size(), 1u);
    EXPECT_EQ(material_->draws[0].chunk, inner);
    EXPECT_EQ(cache_->GetCurrentSet(), 0);
    EXPECT_FALSE(cache_->IsEmpty());
    cache_->Leave(display_, nullptr, true);  // no set to leave
    EXPECT_EQ(cache_->GetCurrentSet(), 0);
    cache_->Render(display_, nullptr);
    ASSERT_EQ(material_->draws.size(), 2u);
    EXPECT_EQ(material_->draws[1].chunk, outer);
}

TEST_F(AlphaBlendCacheTest, StatesAroundDrawingEvenWhenEmpty) {
    display_.SetRecording(true);
    cache_->Render(display_, nullptr);
    EXPECT_EQ(display_.GetCallLog(),
              (Lines{"SetAlphaTest 0", "SetAlphaBlendEnable 1", "SetDepthWrite 0",
                     "SetBlendFactors 1 0", "SetAlphaBlendEnable 0", "SetAlphaTest 0",
                     "SetDepthWrite 1"}));
    display_.ClearCallLog();
    Add(Chunk(4, {0, 1, 2}), At(500));
    Add(Chunk(4, {0, 1, 2}), At(600));
    cache_->Render(display_, nullptr);
    size_t blends = 0;
    for (const std::string& line : display_.GetCallLog()) blends += line == "SetBlendFactors 4 5";
    EXPECT_EQ(blends, 2u);  // before every entry

    cache_->SetFarDistance(300);
    EXPECT_EQ(cache_->GetFarDistance(), 300.0f);
    EXPECT_EQ(cache_->GetFarBucketCount(), 60);
    cache_->SetFarDistance(std::numeric_limits<float>::infinity());
    EXPECT_EQ(cache_->GetFarBucketCount(), 0);
}

TEST_F(AlphaBlendCacheTest, TheUnsortedCacheDrawsInOrderAndRestoresFactors) {
    auto* unsorted = new Kiv::AlphaBlendCacheUnsorted;
    EXPECT_EQ(Kiv::AlphaBlendCacheUnsorted::Instance(), unsorted);
    EXPECT_EQ(unsorted->GetCacheId(), "AlphaBlendCacheUnsorted");
    EXPECT_EQ(unsorted->GetPriority(), 55.0f);
    Kiv::GeometryChunk* first = Chunk(4, {0, 1, 2});
    Kiv::GeometryChunk* second = Chunk(4, {0, 1, 2});
    unsorted->AddChunk(display_, nullptr, material_, first, nullptr, At(10));
    unsorted->AddChunk(display_, nullptr, material_, second, nullptr, At(900));
    display_.SetBlendFactors(2, 3);
    display_.SetRecording(true);
    unsorted->Render(display_, nullptr);
    EXPECT_EQ(display_.GetCallLog(),
              (Lines{"SetBlendFactors 4 5", "SetAlphaTest 0", "SetAlphaBlendEnable 1",
                     "SetDepthWrite 0", "SetBlendFactors 2 3", "SetAlphaBlendEnable 0",
                     "SetAlphaTest 0", "SetDepthWrite 1"}));
    ASSERT_EQ(material_->draws.size(), 2u);
    EXPECT_EQ(material_->draws[0].chunk, first);
    EXPECT_EQ(material_->draws[1].chunk, second);
    unsorted->Prepare();
    EXPECT_TRUE(unsorted->IsEmpty());
    unsorted->ReleaseReference();
    EXPECT_EQ(Kiv::AlphaBlendCacheUnsorted::Instance(), nullptr);
}

}  // namespace
