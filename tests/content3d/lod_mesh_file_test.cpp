// The ".lm" LOD mesh file: a one-level file laid out byte by byte, the reader's refusals,
// its level and distance rules, and Write giving back what was read.
#include <gtest/gtest.h>

#include <string>

#include "content3d/mesh/lod_mesh_resource.h"
#include "lm_file_writer.h"
#include "mesh_test_support.h"

namespace {

using meshtest::LmSpec;
using meshtest::TriangleLevel;

class LodMeshFileTest : public MeshTest {
protected:
    // The result code of loading bytes as an ".lm" definition (kept in lod).
    int LoadLm(const std::string& bytes, const std::string& name = "mesh.lm") {
        Kiv::KodrinGeometryBaseResource* resource = Resource(name, bytes);
        if (!resource) return -1;
        lod = std::make_unique<Kiv::KodrinIndexedMeshLODDefinition>(Kiv::MeshLoaderSettings{});
        const int opened = lod->OpenFile(*resource, name.c_str());
        if (opened != Kiv::RES_OK) return opened;
        return lod->LoadBinary(kernel.GetDisplay(), kernel.GetMaterialManager(), resource, name.c_str(),
                               kernel.GetDisplay()->GetDefaultVertexColor());
    }
    int LoadLm(const LmSpec& spec) { return LoadLm(meshtest::WriteLm(spec)); }

    std::unique_ptr<Kiv::KodrinIndexedMeshLODDefinition> lod;
};

// One level (distance 0) of one triangle with one material "body", laid out by hand.
std::string OneTriangleLm() {
    meshtest::Out o;
    o.Tag("KIRF");
    o.U32(382);  // everything after this count
    o.Tag("LODM");
    o.Tag("INFO");
    o.U32(64);
    o.U32(100);
    for (float f : {0.f, 0.f, 0.f, 0.f, 0.f, 0.f, 1.f}) o.F32(f);  // position, orientation
    o.U32(1);                                                     // levels
    o.U32(0);                                                     // calcPoint
    for (float f : {0.f, 1.f, 0.f, 0.f, 0.f}) o.F32(f);           // offset, multiplier, cut-offs
    o.U32(0);                                                     // named parts
    o.Tag("MATT");
    o.U32(100);
    o.U32(100);
    o.U32(1);
    o.Tag("MATL");
    o.U32(84);
    o.U32(103);
    o.U32(5);  // "body" + NUL
    o.bytes.append("body\0\0\0\0", 8);
    o.U32(0);  // properties
    o.U32(0);  // flag
    o.F32(1);  // opacity
    for (int i = 0; i < 12; ++i) o.F32(i < 9 ? 1.0f : 2.0f);  // colour 4 stored doubled
    o.F32(20);                                                 // power
    o.U32(0);                                                  // textures
    o.Tag("MESH");
    o.U32(190);
    o.U32(100);
    o.U32(1);  // chunks
    o.U32(0);  // max weights
    o.U32(0);  // max bones
    o.F32(0);  // distance
    o.Tag("LCHK");
    o.U32(162);
    o.U32(100);
    o.U32(0);  // chunk index
    o.U32(0);  // material index
    o.Tag("GEOM");
    o.U32(142);
    o.U32(201);
    o.U32(1);  // triangle list
    o.U32(0);  // extra flags
    o.F32(0);  // hint value
    o.U32(3);  // vertices
    o.U32(1);  // faces
    o.U32(3);  // indices
    o.U32(0);  // face normals: none for a list
    o.U32(0);  // weight mode
    o.U32(0);  // empty chunk material name
    const float vertices[3][5] = {{0, 0, 0, 0, 0}, {1, 0, 0, 0.5f, 0}, {0, 1, 0, 0, 0.5f}};
    for (const auto& vertex : vertices) {
        for (float f : vertex) o.F32(f);
    }
    o.U16(0);
    o.U16(1);
    o.U16(2);
    for (int i = 0; i < 3; ++i) {
        o.F32(0);
        o.F32(0);
        o.F32(1);
    }
    return o.bytes;
}

TEST_F(LodMeshFileTest, AOneTriangleFileLaidOutByHandIsWhatWriteGivesBack) {
    const std::string bytes = OneTriangleLm();
    ASSERT_EQ(LoadLm(bytes), Kiv::RES_OK);
    ASSERT_EQ(lod->GetLevelCount(), 1u);
    EXPECT_EQ(lod->GetLevels()[0].faceCount, 1u);
    EXPECT_EQ(lod->GetChunkCount(), 1u);
    EXPECT_EQ(lod->GetName().View(), "mesh.lm");
    std::string written;
    ASSERT_EQ(lod->Write(written), 0);
    EXPECT_EQ(written, bytes);
}

TEST_F(LodMeshFileTest, DistanceAndNamedLevelRules) {
    struct Case {
        const char* what;
        std::vector<float> distances;
        std::vector<meshtest::LmNamed> named;
        int expected;
    };
    const Case cases[] = {
        {"equal distances", {10, 10}, {}, Kiv::RES_OK},
        {"a smaller distance", {20, 10}, {}, Kiv::RES_FILE_FORMAT_ERROR},
        {"only named levels", {-1}, {{0, "collision", false}}, Kiv::RES_FILE_FORMAT_ERROR},
        {"a named level nobody names", {0, -1}, {}, Kiv::RES_FILE_FORMAT_ERROR},
        {"a distance after a named level", {0, -1, 5}, {{1, "collision", false}}, Kiv::RES_FILE_FORMAT_ERROR},
        {"a named level after the distances", {0, 5, -1}, {{2, "collision", true}}, Kiv::RES_OK},
    };
    for (const Case& c : cases) {
        LmSpec spec;
        spec.named = c.named;
        for (float d : c.distances) spec.levels.push_back(TriangleLevel(d));
        EXPECT_EQ(LoadLm(spec), c.expected) << c.what;
    }
    ASSERT_EQ(lod->GetLevelCount(), 3u);
    EXPECT_EQ(lod->GetDistances(), (std::vector<float>{0, 5}));
    EXPECT_EQ(lod->GetNamedParts()[0].key.View(), "collision");
    EXPECT_TRUE(lod->GetNamedParts()[0].animated);
}

TEST_F(LodMeshFileTest, DamagedFilesAreRefusedWithTheirCode) {
    struct Case {
        const char* what;
        void (*damage)(LmSpec&);
        int expected;
    };
    const Case cases[] = {
        {"material table version 102", [](LmSpec& s) { s.materials[0].version = 102; }, Kiv::RES_FILE_VERSION_ERROR},
        {"material index past the table", [](LmSpec& s) { s.levels[0].chunks[0].materialIndex = 1; },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"material index -1", [](LmSpec& s) { s.levels[0].chunks[0].materialIndex = 0xFFFFFFFF; },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"an index not below the vertex count", [](LmSpec& s) { s.levels[0].chunks[0].geom.indices[2] = 3; },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"a huge level count", [](LmSpec& s) { s.levelCount = 0x40000000; }, Kiv::RES_FILE_FORMAT_ERROR},
        {"more chunks announced than written", [](LmSpec& s) { s.levels[0].chunkCount = 2; },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"a huge chunk count", [](LmSpec& s) { s.levels[0].chunkCount = 0x7FFFFFFF; }, Kiv::RES_FILE_FORMAT_ERROR},
        {"a huge vertex count", [](LmSpec& s) { s.levels[0].chunks[0].geom.vertices = 0x10000000; },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"an unknown primitive kind", [](LmSpec& s) { s.levels[0].chunks[0].geom.flags = 3; },
         Kiv::RES_FILE_FORMAT_ERROR},
    };
    for (const Case& c : cases) {
        LmSpec spec;
        spec.levels.push_back(TriangleLevel(0));
        c.damage(spec);
        EXPECT_EQ(LoadLm(spec), c.expected) << c.what;
    }
    std::string cut = OneTriangleLm();
    cut.resize(cut.size() - 4);
    EXPECT_EQ(LoadLm(cut), Kiv::RES_FILE_FORMAT_ERROR) << "cut short";
    std::string tagged = OneTriangleLm();
    tagged.replace(tagged.find("MESH"), 4, "MESS");
    EXPECT_EQ(LoadLm(tagged), Kiv::RES_FILE_FORMAT_ERROR) << "wrong tag";
}

// Every bone keeps an influence list for every level, written or not: a file announcing
// more of those lists than it has bytes is refused before they are made; a file of a few
// levels passes whatever its bone count.
TEST_F(LodMeshFileTest, BoneListsForEveryLevelAreBoundedByTheFileSize) {
    const auto make = [](size_t bones, size_t levels) {
        LmSpec spec;
        spec.bones.emplace();
        for (size_t b = 0; b < bones; ++b) spec.bones->push_back({"b" + std::to_string(b), b == 0 ? "" : "b0"});
        for (size_t l = 0; l < levels; ++l) {
            meshtest::LmLevel level;
            level.distance = static_cast<float>(l);
            level.writeLodb = false;
            spec.levels.push_back(level);
        }
        return meshtest::WriteLm(spec);
    };
    const std::string many = make(200, 400);
    ASSERT_LT(many.size(), 200u * 400u);
    EXPECT_EQ(LoadLm(many), Kiv::RES_FILE_FORMAT_ERROR);
    ASSERT_EQ(LoadLm(make(400, 50)), Kiv::RES_OK);
    EXPECT_EQ(lod->GetBoneTable()[399].levelInfluences.size(), 50u);
}

TEST_F(LodMeshFileTest, EmptyChunksLeaveTheLevelWithTheirMaterialSlots) {
    LmSpec spec;
    spec.levels.push_back(TriangleLevel(0));
    meshtest::LmChunk empty;
    spec.levels[0].chunks.insert(spec.levels[0].chunks.begin(), empty);
    spec.levels.push_back(TriangleLevel(10));
    spec.levels[1].chunks[0] = empty;
    ASSERT_EQ(LoadLm(spec), Kiv::RES_OK);
    EXPECT_EQ(lod->GetLevels()[0].chunkCount, 1u);
    EXPECT_EQ(lod->GetLevels()[0].materials.size(), 1u);
    EXPECT_EQ(lod->GetLevels()[1].chunkCount, 0u);
    EXPECT_EQ(lod->GetChunkCount(), 0u);  // the last distance level's chunk set
}

TEST_F(LodMeshFileTest, InfluenceGroupsFollowKeptChunksAndSkipOthers) {
    LmSpec spec;
    spec.bones = std::vector<meshtest::LmBone>{{"root", ""}, {"arm", "root"}};
    spec.levels.push_back(TriangleLevel(0));
    meshtest::LmChunk empty;
    spec.levels[0].chunks.insert(spec.levels[0].chunks.begin(), empty);
    // Bone "root": a group of the empty chunk 0, one of chunk 1 (kept as 0), one past the level.
    spec.levels[0].lodb = {{{0, {{0, 1}}}, {1, {{1, 1}, {2, 0.5f}}}, {7, {{0, 1}}}}, {}};
    ASSERT_EQ(LoadLm(spec), Kiv::RES_OK);
    const auto& bones = lod->GetBoneTable();
    ASSERT_EQ(bones.size(), 2u);
    ASSERT_EQ(bones[0].levelInfluences.size(), 1u);
    ASSERT_EQ(bones[0].levelInfluences[0].groups.size(), 1u);
    EXPECT_EQ(bones[0].levelInfluences[0].groups[0].chunkIndex, 0u);
    EXPECT_EQ(bones[0].levelInfluences[0].groups[0].entries.size(), 2u);
    EXPECT_TRUE(bones[1].levelInfluences[0].groups.empty());
    ASSERT_NE(lod->GetSkeletonRoot(), nullptr);
    EXPECT_EQ(lod->GetSkeletonRoot()->GetName().View(), "root");
}

TEST_F(LodMeshFileTest, CullMarkersAreTakenOutOfNamesAndPutBackAtTheEnd) {
    LmSpec spec;
    spec.levels.push_back(TriangleLevel(0));
    spec.attachments = std::vector<meshtest::Attachment>{{"a.lamp:CULLfront", {}}, {"a.horn", {}}};
    ASSERT_EQ(LoadLm(spec), Kiv::RES_OK);
    ASSERT_EQ(lod->GetCullList().size(), 1u);
    EXPECT_EQ(lod->GetCullList()[0].View(), "a.lampfront");
    EXPECT_TRUE(lod->IsAttachmentCulled(Kiv::PString("a.lampfront")));
    EXPECT_EQ(lod->GetAttachments()[0].name.View(), "a.lampfront");
    std::string written;
    ASSERT_EQ(lod->Write(written), 0);
    EXPECT_NE(written.find("a.lampfront:Cull"), std::string::npos);
    EXPECT_EQ(written.find("a.horn:Cull"), std::string::npos);
}

TEST_F(LodMeshFileTest, WriteKeepsLevelsNamedPartsAndInfluences) {
    LmSpec spec;
    spec.bones = std::vector<meshtest::LmBone>{{"root", ""}};
    spec.named = {{1, "collision", false}};
    spec.levels = {TriangleLevel(0), TriangleLevel(-1)};
    spec.levels[0].lodb = {{{0, {{0, 1}, {1, 1}}}}};
    spec.levels[1].lodb = {{}};
    spec.levels[0].maxWeights = spec.levels[0].maxBones = 1;
    ASSERT_EQ(LoadLm(spec), Kiv::RES_OK);
    std::string written;
    ASSERT_EQ(lod->Write(written), 0);
    auto first = std::move(lod);
    ASSERT_EQ(LoadLm(written, "again.lm"), Kiv::RES_OK);
    ASSERT_EQ(lod->GetLevelCount(), 2u);
    EXPECT_EQ(lod->GetDistances(), first->GetDistances());
    EXPECT_EQ(lod->GetNamedParts()[0].level, 1u);
    EXPECT_EQ(lod->GetBoneTable()[0].levelInfluences[0].groups[0].entries.size(), 2u);
    EXPECT_TRUE(lod->GetBoneTable()[0].levelInfluences[1].groups.empty());
    EXPECT_EQ(lod->GetLevels()[1].faceCount, 1u);
    Kiv::KodrinIndexedMeshLODDefinition empty(Kiv::MeshLoaderSettings{});
    EXPECT_EQ(empty.Write(written), 1);
}

TEST_F(LodMeshFileTest, TheResourceKeepsNoDefinitionAfterAFailedLoad) {
    LmSpec spec;
    spec.levels.push_back(TriangleLevel(-1));
    auto* bad = dynamic_cast<Kiv::KodrinIndexedMeshLODResource*>(Resource("bad.lm", meshtest::WriteLm(spec)));
    ASSERT_NE(bad, nullptr);
    EXPECT_FALSE(bad->Lock());
    EXPECT_EQ(bad->GetDefinition(), nullptr);
    EXPECT_EQ(bad->GetLastResult(), Kiv::RES_FILE_FORMAT_ERROR);
    auto* good = dynamic_cast<Kiv::KodrinIndexedMeshLODResource*>(Resource("good.lm", OneTriangleLm()));
    ASSERT_NE(good, nullptr);
    ASSERT_TRUE(good->Lock());
    EXPECT_NE(good->GetLODDefinition(), nullptr);
    EXPECT_GT(good->CalculateDataSize(), 0u);
    good->Unlock();
}

TEST_F(LodMeshFileTest, EachLevelDecidesDisplaySkinningAndGetsItsBlendStreams) {
    kernel.GetDisplay()->SetCapability(29, true);
    LmSpec spec;
    spec.bones = std::vector<meshtest::LmBone>{{"root", ""}, {"arm", "root"}};
    spec.levels = {TriangleLevel(0), TriangleLevel(10)};
    for (meshtest::LmLevel& level : spec.levels) {
        level.chunks[0].geom.weightMode = 1;
        level.lodb = {{}, {{0, {{2, 1}}}}};
    }
    spec.levels[0].maxWeights = 1;
    spec.levels[0].maxBones = 2;
    spec.levels[1].maxWeights = 5;  // more than the display takes: software
    ASSERT_EQ(LoadLm(spec), Kiv::RES_OK);
    const Kiv::LODLevel& display = lod->GetLevels()[0];
    const Kiv::LODLevel& software = lod->GetLevels()[1];
    EXPECT_TRUE(display.hardwareSkinned);
    EXPECT_FALSE(software.hardwareSkinned);
    Kiv::GeometryChunk& chunk = *display.chunks[0];
    ASSERT_NE(chunk.GetWordItem(Kiv::kItemPackedIndices), nullptr);
    // arm: matrix slot 0 of the chunk (index byte 0), the next component free (0xFE).
    EXPECT_EQ(chunk.GetWordItem(Kiv::kItemPackedIndices)[2], 0xFE00u);
    EXPECT_EQ(chunk.GetInfluenceMatrices(), (std::vector<int>{1}));
    EXPECT_NE(software.chunks[0]->GetFlags() & Kiv::GeometryChunk::kNotSkinnedOnDisplay, 0u);
    EXPECT_FALSE(lod->IsHardwareSkinning());  // the last distance level's flag
}

TEST_F(LodMeshFileTest, LoadCompletionSharesEqualMaterialsBetweenLevels) {
    LmSpec spec;
    spec.materials.push_back(meshtest::Matl{});
    spec.materials.push_back(meshtest::Matl{});
    spec.materials[2].opacity = 0.5f;
    spec.levels = {TriangleLevel(0), TriangleLevel(10), TriangleLevel(20)};
    spec.levels[1].chunks[0].materialIndex = 1;  // equal to material 0
    spec.levels[2].chunks[0].materialIndex = 2;  // differs
    auto* resource = dynamic_cast<Kiv::KodrinIndexedMeshLODResource*>(Resource("shared.lm", meshtest::WriteLm(spec)));
    ASSERT_NE(resource, nullptr);
    ASSERT_TRUE(resource->Lock());
    const auto& levels = resource->GetLODDefinition()->GetLevels();
    EXPECT_EQ(levels[1].materials[0], levels[0].materials[0]);
    EXPECT_NE(levels[2].materials[0], levels[0].materials[0]);
    EXPECT_EQ(resource->IsAllLoaded(), Kiv::Resource::kAllLoaded);
    EXPECT_TRUE(resource->LoadAll());
    resource->Unlock();
}

}  // namespace
