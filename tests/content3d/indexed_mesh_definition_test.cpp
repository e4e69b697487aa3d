// The indexed mesh definition: dropped chunks, the hardware-skinning rule, the material
// rewrite, texture placement, the skeleton built from influences, the blend streams,
// influence groups across dropped chunks, bounds, texture density and the data size.
#include <gtest/gtest.h>

#include "mesh_test_support.h"

namespace {

using meshtest::MeshSpec;

class IndexedMeshDefinitionTest : public MeshTest {
protected:
    // A skinned one-chunk mesh of n triangles drawn by the display (capability 29).
    MeshSpec Skinned(int triangles, std::vector<meshtest::Influence> influences) {
        kernel.GetDisplay()->SetCapability(29, true);
        MeshSpec spec;
        spec.chunks.push_back(meshtest::Triangles(triangles));
        spec.chunks[0].geom.weightMode = 4;
        spec.maxWeights = 4;
        spec.maxBones = 8;
        spec.influences = std::move(influences);
        return spec;
    }
};

TEST_F(IndexedMeshDefinitionTest, AChunkWithoutFacesIsDroppedButItsMaterialEntryStays) {
    MeshSpec spec;
    spec.chunks.push_back(meshtest::Triangles(1, "first"));
    spec.chunks[0].geom.indices.clear();
    spec.chunks[0].matl.textures = {{0, "textures/first.tga", 1}};
    spec.chunks.push_back(meshtest::Triangles(2, "second"));
    spec.chunks[1].matl.textures = {{0, "second.tga", 1}};
    ASSERT_EQ(LoadIm(spec), Kiv::RES_OK);
    EXPECT_EQ(definition->GetChunkCount(), 1u);
    EXPECT_EQ(definition->GetChunk(0)->GetPrimitiveCount(), 2);
    EXPECT_EQ(definition->GetMaterialArray().size(), 1u);
    EXPECT_EQ(definition->GetFaceTotal(), 2u);
    EXPECT_EQ(definition->GetVertexTotal(), 6u);
    ASSERT_EQ(definition->GetMaterialEntries().size(), 2u);

    definition->AssignDeferredTextures();  // neither file exists
    EXPECT_TRUE(definition->GetMaterialEntries().empty());
    ASSERT_EQ(definition->GetFailedTextures().size(), 2u);
    EXPECT_EQ(definition->GetFailedTextures()[0].file.View(), "first.tga");
}

TEST_F(IndexedMeshDefinitionTest, HardwareSkinningNeedsTheDisplayAndFittingCounts) {
    const struct {
        bool capable;
        uint32_t weights, bones;
        bool softwareAnimation;
        bool hardware;
    } cases[] = {
        {true, 4, 24, false, true},   {true, 1, 0, false, true},   {true, 5, 24, false, false},
        {true, 4, 25, false, false},  {false, 4, 24, false, false}, {true, 4, 24, true, false},
        {true, 0, 0, false, false},
    };
    for (const auto& c : cases) {
        kernel.GetDisplay()->SetCapability(29, c.capable);
        MeshSpec spec = OneTriangle();
        spec.maxWeights = c.weights;
        spec.maxBones = c.bones;
        spec.chunks[0].geom.weightMode = 2;
        Kiv::MeshLoaderSettings settings;
        if (c.softwareAnimation) settings.softwareAnimation = {1, 1};
        ASSERT_EQ(LoadIm(meshtest::WriteMesh(spec), "mesh.im", settings), Kiv::RES_OK);
        EXPECT_EQ(definition->IsHardwareSkinning(), c.hardware) << c.weights << " " << c.bones;
        EXPECT_EQ(definition->GetBonesPerChunkLimit(), c.capable ? 24u : 25u);
        const Kiv::GeometryChunk* chunk = definition->GetChunk(0);
        EXPECT_EQ((chunk->GetFlags() & Kiv::GeometryChunk::kNotSkinnedOnDisplay) == 0, c.hardware);
        EXPECT_EQ(chunk->HasItem(Kiv::kItemPackedWeights), c.hardware);
        EXPECT_EQ((chunk->GetHint().flags & Kiv::ChunkHint::kSoftwareSkinning) != 0, !c.hardware);
    }
}

TEST_F(IndexedMeshDefinitionTest, MaterialsAreRequestedAsOwnerFolderNameAndRefusalsListed) {
    MeshSpec spec = OneTriangle();
    spec.chunks[0].matl.name = "body.m.nosuchkind";
    Kiv::KodrinGeometryBaseResource* resource = Resource("assets/loco/body.im", meshtest::WriteMesh(spec));
    ASSERT_NE(resource, nullptr);
    EXPECT_FALSE(resource->Lock());
    EXPECT_EQ(resource->GetDefinition(), nullptr);
    ASSERT_EQ(resource->GetFailedMaterialNames().size(), 1u);
    EXPECT_EQ(resource->GetFailedMaterialNames()[0].View(), "kivmesh*assets/loco*body.m.nosuchkind");
}

TEST_F(IndexedMeshDefinitionTest, MaterialRecordsAreAdjustedByVersion) {
    const struct {
        uint32_t version;
        float power;
        float expectedPower;
        bool specularCleared;
    } cases[] = {{102, 50, 10, true}, {103, 5, 10, false}, {103, 20, 20, false}};
    for (const auto& c : cases) {
        MeshSpec spec = OneTriangle();
        meshtest::Matl& matl = spec.chunks[0].matl;
        matl.version = c.version;
        matl.power = c.power;
        matl.flag = 1;
        matl.opacity = 0.75f;
        matl.colours = {meshtest::V3{0.1f, 0.2f, 0.3f}, {0.4f, 0.5f, 0.6f}, {0.7f, 0.8f, 0.9f}, {1, 0.5f, 0.25f}};
        matl.properties = {{"k1", "v1"}, {"k0", "v0"}};
        ASSERT_EQ(LoadIm(spec), Kiv::RES_OK);
        const Kiv::Material* material = definition->GetMaterial(0);
        EXPECT_FLOAT_EQ(material->power, c.expectedPower) << c.version;
        EXPECT_EQ(material->diffuse, (Kiv::Color{0.1f, 0.2f, 0.3f, 1}));
        EXPECT_EQ(material->ambient, (Kiv::Color{0.4f, 0.5f, 0.6f, 1}));
        const Kiv::Color specular = c.specularCleared ? Kiv::Color{} : Kiv::Color{0.7f, 0.8f, 0.9f, 1};
        EXPECT_EQ(material->specular, specular);
        EXPECT_EQ(material->emissive, (Kiv::Color{0.5f, 0.25f, 0.125f, 0}));  // alpha halved too
        EXPECT_EQ(material->flags & 1u, 1u);
        EXPECT_FLOAT_EQ(material->opacityFactor, 0.75f);
        ASSERT_EQ(material->GetProperties().size(), 2u);
        EXPECT_EQ(material->GetProperties()[0].first.View(), "k1");
        EXPECT_EQ(material->GetProperties()[1].second.View(), "v0");
    }
}

TEST_F(IndexedMeshDefinitionTest, TexturesAreLookedForBesideTheMesh) {
    MeshSpec spec = OneTriangle();
    spec.chunks[0].matl.textures = {{2, "textures/body.tga", 0.5f}, {0, "C:\\art\\plain.tga", 1}};
    Kiv::KodrinGeometryBaseResource* resource = Resource("assets/loco/body.im", meshtest::WriteMesh(spec));
    definition = std::make_unique<Kiv::KodrinIndexedMeshDefinition>(Kiv::MeshLoaderSettings{});
    ASSERT_EQ(definition->OpenFile(*resource, "assets/loco/body.im"), Kiv::RES_OK);
    EXPECT_EQ(definition->GetFileName().View(), "kivmesh/assets/loco/body.im");
    ASSERT_EQ(definition->LoadBinary(kernel.GetDisplay(), kernel.GetMaterialManager(), resource,
                                     "assets/loco/body.im", 0), Kiv::RES_OK);
    const std::vector<Kiv::TextureDef>& textures = definition->GetMaterialEntries()[0]->textures;
    ASSERT_EQ(textures.size(), 2u);
    EXPECT_EQ(textures[0].file.View(), "assets/loco/body.tga");
    EXPECT_EQ(textures[0].slot, 2u);
    EXPECT_EQ(textures[1].file.View(), "assets/loco/plain.tga");
}

TEST_F(IndexedMeshDefinitionTest, TheSkeletonHangsParentlessAndUnknownParentsUnderTheRoot) {
    MeshSpec spec = OneTriangle();
    spec.influences = std::vector<meshtest::Influence>{
        {"pelvis", "", {0, 1, 0}, {}}, {"spare", "", {}, {}},    {"stray", "nobody", {}, {}},
        {"spine", "pelvis", {}, {}},   {"head", "spine", {}, {}}, {"loopA", "loopB", {}, {}},
        {"loopB", "loopA", {}, {}},
    };
    ASSERT_EQ(LoadIm(spec), Kiv::RES_OK);
    Kiv::ParticleBone* root = definition->GetSkeletonRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName().View(), "pelvis");
    EXPECT_EQ(root->position, (Kiv::Vector3{0, 1, 0}));
    EXPECT_EQ(root->boxMax, (Kiv::Vector3{0.01f, 0.01f, 0.01f}));
    const auto parentOf = [&](const char* name) {
        return root->FindByName(Kiv::PString(name))->GetParent()->GetName().View();
    };
    EXPECT_EQ(parentOf("spare"), "pelvis");
    EXPECT_EQ(parentOf("stray"), "pelvis");
    EXPECT_EQ(parentOf("head"), "spine");
    EXPECT_EQ(parentOf("loopA"), "loopB");  // the second link would close a loop
    EXPECT_EQ(parentOf("loopB"), "pelvis");
    EXPECT_EQ(definition->GetInfluences()[1].parentName.View(), "pelvis");
    EXPECT_EQ(definition->GetInfluences()[2].parentName.View(), "pelvis");
}

TEST_F(IndexedMeshDefinitionTest, SkeletonChunksBuildTheirTreeAndDeepNestingIsRefused) {
    MeshSpec spec = OneTriangle();
    spec.skeleton = meshtest::Bone{"root", 100, {{"arm", 1, {{"hand", 102, {}}}}, {"leg", 50, {}}}};
    ASSERT_EQ(LoadIm(spec), Kiv::RES_OK);
    Kiv::ParticleBone* root = definition->GetSkeletonRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetChildren().size(), 2u);
    EXPECT_EQ(root->FindByName(Kiv::PString("hand"))->GetParent()->GetName().View(), "arm");

    meshtest::Bone deep{"b0", 100, {}};
    meshtest::Bone* tip = &deep;
    for (int i = 1; i < 600; ++i) {
        tip->children.push_back({"b" + std::to_string(i), 100, {}});
        tip = &tip->children[0];
    }
    spec.skeleton = deep;
    EXPECT_EQ(LoadIm(spec), Kiv::RES_FILE_FORMAT_ERROR);
}

TEST_F(IndexedMeshDefinitionTest, PackedWeightsFillFreeComponentsAndAFifthInfluenceStartsAgain) {
    std::vector<meshtest::Influence> influences;
    const float weights[] = {1.0f, 0.5f, 0.25f, 0.125f, 0.75f};
    for (int i = 0; i < 5; ++i) {
        influences.push_back({"b" + std::to_string(i), i == 0 ? "" : "b0", {}, {{0, {{0, weights[i]}}}}});
    }
    // Vertex 1 has two influences only.
    influences[0].groups[0].entries.push_back({1, 1.0f});
    influences[1].groups[0].entries.push_back({1, 0.5f});
    ASSERT_EQ(LoadIm(Skinned(1, influences)), Kiv::RES_OK);
    ASSERT_TRUE(definition->IsHardwareSkinning());
    Kiv::GeometryChunk* chunk = definition->GetChunk(0);
    const uint32_t* w = chunk->GetWordItem(Kiv::kItemPackedWeights);
    const uint32_t* m = chunk->GetWordItem(Kiv::kItemPackedIndices);
    EXPECT_EQ(w[0], 191u);  // only the fifth: trunc(0.75 x 255)
    EXPECT_EQ(m[0], 0xFE00u + 12);  // slot 4, byte 1 marked free
    EXPECT_EQ(w[1], 0x7FFFu);
    EXPECT_EQ(m[1], 0x00FE0300u);  // slots 0 and 1, byte 2 marked free
    EXPECT_EQ(w[2], 0xFF000000u);  // untouched vertex keeps the filled default
    EXPECT_EQ(m[2], 0u);
    EXPECT_EQ(chunk->GetInfluenceMatrices(), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(IndexedMeshDefinitionTest, GroupsFollowTheirChunkPastDroppedChunksAndBadEntriesAreSkipped) {
    std::vector<meshtest::Influence> influences = {
        {"root", "", {}, {{0, {{0, 1.0f}}}, {1, {{2, 1.0f}, {99, 1.0f}}}, {7, {{0, 1.0f}}}}},
    };
    MeshSpec spec = Skinned(1, influences);
    spec.chunks.insert(spec.chunks.begin(), meshtest::Triangles(1, "empty"));
    spec.chunks[0].geom.indices.clear();
    ASSERT_EQ(LoadIm(spec), Kiv::RES_OK);
    ASSERT_EQ(definition->GetChunkCount(), 1u);
    const std::vector<Kiv::InfluenceGroup>& groups = definition->GetInfluences()[0].groups;
    ASSERT_EQ(groups.size(), 1u);  // the dropped chunk's and the missing chunk's groups are gone
    EXPECT_EQ(groups[0].chunkIndex, 0u);
    ASSERT_EQ(groups[0].entries.size(), 1u);  // vertex 99 is not in the chunk
    EXPECT_EQ(definition->GetChunk(0)->GetWordItem(Kiv::kItemPackedWeights)[2], 255u);
    EXPECT_EQ(definition->GetChunkMaxVertexInfluences(0), 1);
}

TEST_F(IndexedMeshDefinitionTest, InfluenceEntriesKeepVertexWeightAndOffset) {
    std::string bytes = meshtest::WriteMesh(Skinned(1, {{"root", "", {}, {{0, {{2, 0.25f}, {5, 1.0f}, {0, -0.5f}}}}}}));
    // The writer leaves offsets zero: give two entries (vertex, weight, offset) offsets of
    // their own, little-endian floats 1.5, -2, 3 and 0, 0, 7.
    const auto patch = [&bytes](std::string_view entry, std::string_view offset) {
        const size_t at = bytes.find(entry);
        ASSERT_NE(at, std::string::npos);
        bytes.replace(at + 8, 12, offset);
    };
    using namespace std::string_view_literals;
    patch("\x02\0\0\0\0\0\x80\x3E"sv, "\0\0\xC0\x3F\0\0\0\xC0\0\0\x40\x40"sv);
    patch("\0\0\0\0\0\0\0\xBF"sv, "\0\0\0\0\0\0\0\0\0\0\xE0\x40"sv);
    ASSERT_EQ(LoadIm(bytes), Kiv::RES_OK);
    const std::vector<Kiv::InfluenceEntry>& entries = definition->GetInfluences()[0].groups[0].entries;
    ASSERT_EQ(entries.size(), 2u);  // vertex 5 is not in the chunk
    EXPECT_EQ(entries[0].vertex, 2u);
    EXPECT_EQ(entries[0].weight, 0.25f);
    EXPECT_EQ(entries[0].offset, (Kiv::Vector3{1.5f, -2, 3}));
    EXPECT_EQ(entries[1].vertex, 0u);
    EXPECT_EQ(entries[1].weight, -0.5f);
    EXPECT_EQ(entries[1].offset, (Kiv::Vector3{0, 0, 7}));
}

TEST_F(IndexedMeshDefinitionTest, BoundsDensityBoxAndDataSize) {
    MeshSpec spec = OneTriangle();
    spec.chunks.push_back(meshtest::Triangles(1));
    spec.chunks[1].geom.positions[2] = {0, 4, -2};
    spec.influences = std::vector<meshtest::Influence>{{"root", "", {}, {}}};
    spec.attachments = std::vector<meshtest::Attachment>{{"a.light", {}}};
    ASSERT_EQ(LoadIm(spec), Kiv::RES_OK);
    EXPECT_EQ(definition->GetBoundsMin(), (Kiv::Vector3{0, 0, -2}));
    EXPECT_EQ(definition->GetBoundsMax(), (Kiv::Vector3{1, 4, 0}));
    EXPECT_EQ(definition->GetOrientedBox().halfExtents, (Kiv::Vector3{0.5f, 2, 1}));
    // Chunk 0: object edges of 1 over texture edges of 0.5 give 2 per edge.
    // Chunk 1: edges 1 and sqrt(20) over 0.5 and 2: ratios 2 and sqrt(5).
    EXPECT_GT(definition->GetTextureDensity(), 2.2f);
    EXPECT_LT(definition->GetTextureDensity(), 2.24f);
    // 252 + 300 + 52 + two chunks of 3 vertices x 32 bytes and 3 indices.
    EXPECT_EQ(definition->CalculateDataSize(), 252u + 300 + 52 + 2 * (3 * 32 + 6));
}


TEST_F(IndexedMeshDefinitionTest, ChunkDataCopiesIntoStridedBuffersAndRecordsReadBack) {
    MeshSpec spec = OneTriangle();
    spec.chunks[0].geom.faceNormals = {{0, 0, 1}};
    spec.chunks[0].matl.properties = {{"gloss", "high"}};
    spec.attachments = std::vector<meshtest::Attachment>{{"a.x", {}}};
    ASSERT_EQ(LoadIm(spec), Kiv::RES_OK);
    float interleaved[3][5] = {};
    Kiv::KodrinIndexedMeshDefinition::StridedBuffer out{sizeof interleaved[0], reinterpret_cast<uint8_t*>(interleaved)};
    ASSERT_TRUE(definition->CopyPositions(0, out));
    EXPECT_EQ(interleaved[1][0], 1.0f);
    EXPECT_EQ(interleaved[1][3], 0.0f);  // the stride's gap untouched
    out.data = reinterpret_cast<uint8_t*>(&interleaved[0][3]);
    ASSERT_TRUE(definition->CopyTexCoords(0, 0, out));
    EXPECT_EQ(interleaved[1][3], 0.5f);
    EXPECT_FALSE(definition->CopyTexCoords(0, 1, out));  // one set only
    uint32_t colours[3] = {};
    ASSERT_TRUE(definition->CopyColours(0, true, 0xABCDu, {4, reinterpret_cast<uint8_t*>(colours)}));
    EXPECT_EQ(colours[2], 0xABCDu);  // no colour stream: the given default
    uint16_t indices[3] = {};
    ASSERT_TRUE(definition->CopyIndices(0, indices));
    EXPECT_EQ(indices[2], 2);
    Kiv::Vector3 faceNormal;
    ASSERT_TRUE(definition->CopyFaceNormals(0, &faceNormal));
    EXPECT_EQ(faceNormal, (Kiv::Vector3{0, 0, 1}));
    EXPECT_FALSE(definition->CopyPositions(1, out));
    EXPECT_EQ(definition->GetMaterialPropertyCount(0), 1u);
    EXPECT_EQ(definition->GetMaterialProperty(0, 0, 1).View(), "high");
    EXPECT_TRUE(definition->GetMaterialProperty(0, 1, 0).IsEmpty());
    EXPECT_FLOAT_EQ(definition->GetMaterialDisplay(0).power, 20.0f);
    EXPECT_EQ(definition->GetAttachmentRotation(0), (Kiv::Vector4{0, 0, 0, 1}));
    EXPECT_EQ(definition->GetChunkTexCoordSetCount(0), 1);
    EXPECT_EQ(definition->GetChunkType(0), 1u);
}

}  // namespace
