// Geometry chunks: the items each layout gets, the skinning items a hint adds, the chunk
// flags made from a geometry type and a hint, counts and properties.
#include "engine/geometry_chunk.h"

#include <gtest/gtest.h>

#include "engine/material.h"

namespace {

using Kiv::ChunkHint;

ChunkHint HintWith(uint8_t flags, int weights = 4) {
    Kiv::StandardChunkHint hint;
    hint.flags = flags;
    hint.weightsPerVertex = weights;
    return hint;
}

TEST(GeometryChunk, LayoutItemsAndSkinningItems) {
    const struct {
        std::vector<int> layout;
        uint8_t flags;
        int weights;
        std::vector<int> items;
        int stride;
    } cases[] = {
        {Kiv::PackedVertexPNTA::Items(), 0, 4, {1, 4, 15, 27}, 44},
        {Kiv::PackedVertexPNT::Items(), 0, 4, {1, 4, 15}, 32},
        {Kiv::PackedVertexPCT::Items(), 0, 4, {1, 2, 15}, 24},
        // skinned on the display: packed weights and indices
        {Kiv::PackedVertexPNT::Items(), ChunkHint::kSkinned, 4, {1, 4, 15, 9, 10}, 40},
        // float weights of the weight count
        {Kiv::PackedVertexPNT::Items(), ChunkHint::kSkinned | ChunkHint::kFloatWeights, 2,
         {1, 4, 15, 6, 10}, 44},
        {Kiv::PackedVertexPNT::Items(), ChunkHint::kSkinned | ChunkHint::kFloatWeights, 4,
         {1, 4, 15, 8, 10}, 52},
        // skinned in software: the vertices carry no skinning items
        {Kiv::PackedVertexPNT::Items(), ChunkHint::kSkinned | ChunkHint::kSoftwareSkinning, 4,
         {1, 4, 15}, 32},
        // bit 2 alone is not skinning
        {Kiv::PackedVertexPNT::Items(), ChunkHint::kSoftwareSkinning, 4, {1, 4, 15}, 32},
    };
    for (const auto& c : cases) {
        const ChunkHint hint = HintWith(c.flags, c.weights);
        Kiv::GeometryChunk chunk(3, 1, 3, 0, 4, hint, Kiv::ChunkItemsFor(c.layout, hint));
        EXPECT_EQ(chunk.GetItemKinds(), c.items) << int(c.flags) << " " << c.weights;
        EXPECT_EQ(chunk.GetStride(), c.stride) << int(c.flags) << " " << c.weights;
    }
}

TEST(GeometryChunk, FlagsFromGeometryTypeAndHint) {
    const struct {
        int geometryType;
        uint8_t flags;
        uint32_t expected;
    } cases[] = {
        {5, 0, 0x40},
        {3, 0, 0x41},
        {4, 0, 0x42},
        {0, 0, 0x44},
        {1, 0, 0x48},
        {2, 0, 0x50},
        {0, ChunkHint::kSkinned, 0x04},
        {0, ChunkHint::kSkinned | ChunkHint::kSoftwareSkinning, 0x1044},
        {0, ChunkHint::kSoftwareLighting, 0x44},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Kiv::Material::MakeGeometryChunkFlags(c.geometryType, HintWith(c.flags)),
                  c.expected)
            << c.geometryType << " " << int(c.flags);
    }
}

TEST(GeometryChunk, CountsArraysAndProperties) {
    const ChunkHint hint = HintWith(0);
    Kiv::GeometryChunkNmlTemplate<Kiv::PackedVertexPCT, Kiv::GeometryChunkSingleStream> chunk(
        4, 2, 6, 2, 0x44, hint);
    EXPECT_EQ(chunk.GetVertexCount(), 4);
    EXPECT_EQ(chunk.GetPrimitiveCount(), 2);
    EXPECT_EQ(chunk.GetIndexCount(), 6);
    EXPECT_EQ(chunk.GetPrimitiveKind(), 4u);
    EXPECT_NE(chunk.GetSideNormals(), nullptr);
    EXPECT_NE(chunk.GetFaceNormals(), nullptr);
    EXPECT_NE(chunk.GetWordItem(Kiv::kItemColor), nullptr);
    EXPECT_EQ(chunk.GetFloatItem(Kiv::kItemColor), nullptr);
    EXPECT_EQ(chunk.GetFloatItem(Kiv::kItemNormal), nullptr);
    chunk.GetFloatItem(Kiv::kItemPosition)[3] = 7;
    EXPECT_EQ(chunk.GetPosition(1), (Kiv::Vector3{7, 0, 0}));
    EXPECT_EQ(chunk.GetPosition(4), (Kiv::Vector3{}));

    EXPECT_FALSE(chunk.HasChunkProperty("RustAge"));
    EXPECT_EQ(chunk.GetChunkProperty("RustAge"), 0.0f);
    chunk.AddChunkProperty("RustAge");
    EXPECT_TRUE(chunk.HasChunkProperty("RustAge"));
    chunk.SetChunkProperty("RustAge", 0.75f);
    EXPECT_EQ(chunk.GetChunkProperty("RustAge"), 0.75f);

    Kiv::GeometryChunk negative(-1, -2, -3, -4, 0, hint, {1});
    EXPECT_EQ(negative.GetVertexCount(), 0);
    EXPECT_EQ(negative.GetIndexCount(), 0);
    EXPECT_EQ(negative.GetIndices(), nullptr);

    EXPECT_EQ(Kiv::GeometryChunk::primitiveLookup(16), Kiv::kPrimitiveTriangleFan);
    EXPECT_EQ(Kiv::GeometryChunk::primitiveLookup(3), -1);
}

}  // namespace
