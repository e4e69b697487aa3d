// Skinning: software levels rebuild positions from their bones, hardware levels get skin
// matrices through the chunks' matrix slots, each level once per frame; the root and tree
// rules, unbound bones, group bounds, and the copy.
#include "content3d/mesh/influence_mesh.h"

#include <gtest/gtest.h>

#include "engine/geometry_chunk.h"
#include "engine/particle_bone.h"

namespace {

using Kiv::InfluenceDefinition;
using Kiv::KodrinInfluenceMesh;

struct Chunk {
    Chunk() : chunk(new Kiv::GeometryChunk(3, 1, 3, 0, 4, Kiv::StandardChunkHint(), {Kiv::kItemPosition})) {}
    ~Chunk() { chunk->ReleaseReference(); }
    Kiv::Vector3 Position(int i) const { return chunk->GetPosition(i); }
    Kiv::GeometryChunk* chunk;
};

InfluenceDefinition Influence(const char* name, const char* parent, Kiv::Vector3 bind,
                              std::vector<Kiv::InfluenceGroup> groups = {}) {
    InfluenceDefinition influence;
    influence.name = Kiv::PString(name);
    influence.parentName = Kiv::PString(parent);
    influence.bindPosition = bind;
    influence.groups = std::move(groups);
    return influence;
}

// A skeleton root "root" with child "arm" at (0, 1, 0).
struct Skeleton {
    Skeleton() : root(new Kiv::ParticleBone(Kiv::PString("root"))), arm(new Kiv::ParticleBone(Kiv::PString("arm"))) {
        arm->SetRest({0, 1, 0}, {0, 0, 0, 1});
        root->AddChild(arm);
    }
    ~Skeleton() { Kiv::ParticleBone::DeleteTree(root); }
    Kiv::ParticleBone* root;
    Kiv::ParticleBone* arm;
};

TEST(InfluenceMeshTest, ASoftwareChunkMovesWithItsBoneOncePerFrame) {
    Chunk chunk;
    Skeleton skeleton;
    // Vertex 0: all "arm" at its offset (1, 0, 0); vertex 1: half each; vertex 7 is past the chunk.
    const std::vector<InfluenceDefinition> influences = {
        Influence("root", "", {}, {{0, {{1, 0.5f, {0, 0, 0}}}}}),
        Influence("arm", "root", {0, 1, 0}, {{0, {{0, 1, {1, 0, 0}}, {1, 0.5f, {0, 0, 0}}, {7, 1, {5, 5, 5}}}}, {4, {{0, 1, {}}}}}),
    };
    KodrinInfluenceMesh mesh;
    mesh.SetupFromMeshInfluences(influences, false, 1, &chunk.chunk);
    mesh.SetSkeleton(skeleton.root);
    mesh.Update(1, &chunk.chunk, 1, 0);
    EXPECT_EQ(chunk.Position(0), (Kiv::Vector3{1, 1, 0}));
    EXPECT_EQ(chunk.Position(1), (Kiv::Vector3{0, 0.5f, 0}));
    skeleton.arm->position = {0, 3, 0};
    mesh.Update(1, &chunk.chunk, 1, 0);  // the same frame: nothing
    EXPECT_EQ(chunk.Position(0), (Kiv::Vector3{1, 1, 0}));
    mesh.Update(1, &chunk.chunk, 2, 0);
    EXPECT_EQ(chunk.Position(0), (Kiv::Vector3{1, 3, 0}));
    skeleton.arm->position = {0, 4, 0};
    mesh.Update(1, &chunk.chunk, 0, 0);  // frame 0 always skins
    EXPECT_EQ(chunk.Position(0), (Kiv::Vector3{1, 4, 0}));
    EXPECT_EQ(chunk.Position(2), (Kiv::Vector3{0, 0, 0}));
}

TEST(InfluenceMeshTest, AHardwareChunkReadsSkinMatricesAndKeepsItsVertices) {
    Chunk chunk;
    chunk.chunk->GetFloatItem(Kiv::kItemPosition)[0] = 9;
    Skeleton skeleton;
    KodrinInfluenceMesh mesh;
    mesh.SetupFromMeshInfluences({Influence("root", "", {}), Influence("arm", "root", {0, 1, 0})}, true, 1, &chunk.chunk);
    ASSERT_EQ(chunk.chunk->GetAssignedInfluenceMatrix(1), &mesh.GetBones()[1].skinMatrix);
    mesh.SetSkeleton(skeleton.root);
    skeleton.arm->position = {2, 1, 0};
    skeleton.arm->scaleInUse = true;
    skeleton.arm->scale = {2, 1, 1};
    mesh.Update(1, &chunk.chunk, 1, 0);
    const Kiv::Matrix4& skin = *chunk.chunk->GetAssignedInfluenceMatrix(1);
    // inverseBind (translate by -1 on y) x world (scale x by 2, then translate (2, 1, 0)).
    EXPECT_EQ(skin.TransformPoint({1, 1, 0}), (Kiv::Vector3{4, 1, 0}));
    EXPECT_EQ(mesh.GetBones()[0].skinMatrix, Kiv::Matrix4());
    EXPECT_EQ(chunk.Position(0).x, 9.0f);
}

TEST(InfluenceMeshTest, RootAndTreeRules) {
    Chunk chunk;
    Skeleton skeleton;
    // "first" is parentless but not the root (the later "root" is); "lost" names no bone;
    // "ghost" has no particle and follows its bind pose.
    const std::vector<InfluenceDefinition> influences = {
        Influence("first", "", {}, {{0, {{0, 1, {1, 1, 1}}}}}),
        Influence("root", "", {}),
        Influence("lost", "nobody", {}, {{0, {{1, 1, {1, 1, 1}}}}}),
        Influence("ghost", "root", {0, 0, 5}, {{0, {{2, 1, {1, 0, 0}}}}}),
    };
    KodrinInfluenceMesh mesh;
    mesh.SetupFromMeshInfluences(influences, false, 1, &chunk.chunk);
    ASSERT_NE(mesh.GetRootBone(), nullptr);
    EXPECT_EQ(mesh.GetRootBone()->name.View(), "root");
    mesh.SetSkeleton(skeleton.root);
    EXPECT_EQ(mesh.GetBones()[3].particle, nullptr);
    EXPECT_EQ(mesh.GetBones()[3].inverseBind, Kiv::Matrix4());
    mesh.Update(1, &chunk.chunk, 1, 0);
    EXPECT_EQ(chunk.Position(0), (Kiv::Vector3{0, 0, 0}));
    EXPECT_EQ(chunk.Position(1), (Kiv::Vector3{0, 0, 0}));
    EXPECT_EQ(chunk.Position(2), (Kiv::Vector3{1, 0, 5}));
}

TEST(InfluenceMeshTest, LodLevelsSkinByTheirOwnFlagsAndTheCopyStartsAfresh) {
    Chunk soft, hard;
    Skeleton skeleton;
    std::vector<Kiv::LODBone> table(1);
    table[0].name = "arm";
    table[0].levelInfluences.resize(2);
    table[0].levelInfluences[0].groups = {{0, {{0, 1, {1, 0, 0}}}}};
    std::vector<Kiv::LODLevel> levels(2);
    levels[0].chunks = {soft.chunk};
    levels[1].chunks = {hard.chunk};
    levels[1].hardwareSkinned = true;
    soft.chunk->AddReference();
    hard.chunk->AddReference();
    KodrinInfluenceMesh mesh;
    mesh.SetupFromLODBones(table, levels);
    EXPECT_EQ(hard.chunk->GetAssignedInfluenceMatrix(0), &mesh.GetBones()[0].skinMatrix);
    EXPECT_EQ(soft.chunk->GetAssignedInfluenceMatrix(0), nullptr);
    mesh.SetSkeleton(skeleton.arm);
    skeleton.arm->position = {0, 2, 0};
    mesh.Update(1, &soft.chunk, 5, 0);
    mesh.Update(1, &hard.chunk, 5, 1);
    EXPECT_EQ(soft.Position(0), (Kiv::Vector3{1, 2, 0}));
    EXPECT_EQ(mesh.GetBones()[0].skinMatrix.GetTranslation(), (Kiv::Vector3{0, 1, 0}));
    EXPECT_EQ(mesh.GetLevelFrames()[0], 5u);
    const KodrinInfluenceMesh copy(mesh);
    EXPECT_EQ(copy.GetLevelFrames(), (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(copy.GetRootBone()->name.View(), "arm");
    EXPECT_EQ(copy.GetBones()[0].levels[0].groups.size(), 1u);
}

TEST(InfluenceMeshTest, GroupOperations) {
    KodrinInfluenceMesh mesh;
    mesh.SetupFromMeshInfluences({Influence("root", "", {})}, false, 0, nullptr);
    Kiv::InfluenceGroup group{2, {{0, 1, {}}, {1, 0.5f, {}}}};
    EXPECT_TRUE(mesh.AppendGroupToFirstLevel(0, group));
    EXPECT_FALSE(mesh.AppendGroupToFirstLevel(1, group));
    mesh.AppendGroup(0, 0, group);
    Kiv::InfluenceGroup& target = mesh.GetBones()[0].levels[0].groups[0];
    KodrinInfluenceMesh::MergeGroup(target, group, 10);
    ASSERT_EQ(target.entries.size(), 4u);
    EXPECT_EQ(target.entries[3].vertex, 11u);
    EXPECT_EQ(mesh.GetBones()[0].levels[0].groups.size(), 2u);
    EXPECT_EQ(mesh.FindBone(Kiv::PString("root")), 0u);
    EXPECT_EQ(mesh.FindBone(Kiv::PString("none")), KodrinInfluenceMesh::kNoBone);
}

}  // namespace
