// LOD mesh instances: the class each LOD model gets, the selected level (the "collision"
// part, else the last distance level) answering face counts and collision, the drawn level
// chosen at every cull with the cut-offs, lighting per level, opacity, copies, and the
// skinning of the drawn and animated levels; LODMeshData's answers from its instance.
#include <gtest/gtest.h>

#include <memory>

#include "content3d/mesh/lod_mesh_data.h"
#include "content3d/mesh/lod_mesh_instances.h"
#include "content3d/mesh/lod_mesh_resource.h"
#include "engine/display.h"
#include "engine/view_point.h"
#include "lm_file_writer.h"
#include "mesh_test_support.h"

namespace {

using Instance = std::unique_ptr<Kiv::KodrinIndexedMeshInstance>;
using Kiv::KodrinIndexedMeshLODInstance;

// A part of n triangles (list chunks), skinned by "root" and "arm" when skinned is set.
std::string Part(int triangles, bool skinned, std::vector<std::string> attachments = {}, bool rootless = false) {
    meshtest::MeshSpec spec;
    spec.chunks.push_back(meshtest::Triangles(triangles, "paint"));
    spec.chunks[0].geom.flags = 4;
    if (skinned) {
        spec.maxWeights = 1;
        spec.maxBones = 2;
        spec.chunks[0].geom.weightMode = 2;
        spec.influences = std::vector<meshtest::Influence>{{"root", "", {}, {{0, {{0, 1}}}}},
                                                           {"arm", "root", {0, 1, 0}, {{0, {{1, 1}, {2, 1}}}}}};
        if (rootless) (*spec.influences)[0].parent = "arm";  // no parentless bone
    }
    spec.attachments.emplace();
    for (const std::string& name : attachments) spec.attachments->push_back({name, {}});
    return meshtest::WriteMesh(spec);
}

class LodMeshInstanceTest : public MeshTest {
protected:
    LodMeshInstanceTest() {
        temp.MakeFolder("lodm");
        temp.WriteFile("lodm/three.im", Part(3, false, {"a.lamp:Cull", "a.horn"}));
        temp.WriteFile("lodm/two.im", Part(2, false, {"a.lamp:Cull", "a.horn"}));
        temp.WriteFile("lodm/one.im", Part(1, false, {"a.lamp:Cull", "a.horn"}));
        temp.WriteFile("lodm/named.im", Part(2, false, {"a.lamp:Cull", "a.horn"}));
        temp.WriteFile("lodm/skin3.im", Part(3, true));
        temp.WriteFile("lodm/skin2.im", Part(2, true));
        temp.WriteFile("lodm/skin1.im", Part(1, true));
        temp.WriteFile("lodm/rootless.im", Part(1, true, {}, true));
    }

    // The instance of "lodm/<name>.lm.txt" holding text.
    Instance Make(const std::string& text, const std::string& name = "lod") {
        temp.WriteFile("lodm/" + name + ".lm.txt", text);
        auto* resource = dynamic_cast<Kiv::KodrinGeometryBaseResource*>(
            database.Get(Kiv::PString(("lodm/" + name + ".lm").c_str())));
        if (!resource) return nullptr;
        held.push_back(resource);
        resource->SetRenderKernel(&kernel);
        Instance made(resource->CreateMeshInstance());
        return made;
    }
    static KodrinIndexedMeshLODInstance& Lod(const Instance& instance) {
        return dynamic_cast<KodrinIndexedMeshLODInstance&>(*instance);
    }
    Kiv::Display& Display() { return *kernel.GetDisplay(); }
    // Culls from a camera at that height above the mesh in a new frame; whether the
    // instance was added to the viewpoint.
    bool CullFrom(Kiv::KodrinIndexedMeshInstance& instance, float height) {
        Display().BeginFrame();
        camera.SetPosition({0.5f, 0.5f, height});
        Kiv::ViewPoint viewpoint(&camera, Display().GetFrameNumber());
        instance.Cull(viewpoint, Kiv::Matrix4());
        return !viewpoint.GetParticles().empty();
    }
    Kiv::Camera camera;
};

constexpr const char* kThreeLevels =
    "version 1\n"
    "mesh 0 {\n  name three.im\n}\n"
    "mesh 100 {\n  name two.im\n}\n"
    "mesh 200 {\n  name one.im\n}\n";

TEST_F(LodMeshInstanceTest, EachModelGetsItsInstanceClass) {
    const Instance plain = Make(kThreeLevels, "plain");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->GetTypeId(), 21);
    const Instance skinned = Make("version 1\nmesh 0 {\n  name skin3.im\n}\nmesh 10 {\n  name skin1.im\n}\n", "skin");
    ASSERT_TRUE(skinned);
    EXPECT_EQ(skinned->GetTypeId(), 22);
    EXPECT_EQ(Make("version 1\nmesh 0 {\n  name missing.im\n}\n", "broken"), nullptr);
    const Instance rootless = Make("version 1\nmesh 0 {\n  name rootless.im\n}\n", "rootless");
    EXPECT_EQ(rootless, nullptr);  // bones but no skeleton: none
    auto* resource = dynamic_cast<Kiv::KodrinIndexedMeshLODResource*>(held.back());
    ASSERT_NE(resource->GetLODDefinition(), nullptr);  // it loaded all the same
    EXPECT_TRUE(resource->GetLODDefinition()->HasBones());
}

TEST_F(LodMeshInstanceTest, TheSelectedLevelAnswersFaceCountsAndCollision) {
    const Instance plain = Make(kThreeLevels, "plain");
    ASSERT_TRUE(plain);
    KodrinIndexedMeshLODInstance& lod = Lod(plain);
    EXPECT_EQ(lod.GetLevelCount(), 3u);
    EXPECT_EQ(lod.GetSelectedLevel(), 2u);  // the last distance level
    EXPECT_EQ(lod.GetFaceCount(), 1u);
    lod.SelectLevel(0);
    EXPECT_EQ(lod.GetFaceCount(), 3u);
    lod.SelectLevel(7);  // outside the table: nothing changes
    EXPECT_EQ(lod.GetSelectedLevel(), 0u);

    const Instance named = Make(std::string(kThreeLevels) + "mesh collision {\n  name named.im\n}\n", "named");
    ASSERT_TRUE(named);
    EXPECT_EQ(Lod(named).GetLevelCount(), 4u);
    EXPECT_EQ(Lod(named).GetSelectedLevel(), 3u);
    EXPECT_EQ(named->GetFaceCount(), 2u);
    CullFrom(*named, 500);  // draws level 2 while level 3 still answers
    EXPECT_EQ(Lod(named).GetDrawLevel(), 2u);
    float best = 100;
    Kiv::TriangleFace face;
    EXPECT_TRUE(named->TestCollisionGeometry({1.25f, 0.25f, 5}, {0, 0, -1}, best, face));  // the second triangle
    EXPECT_EQ(face.face, 1u);
}

TEST_F(LodMeshInstanceTest, CullingPicksTheDrawnLevelWithinTheCutOffs) {
    const Instance instance = Make(std::string(kThreeLevels) + "renderCutOff 50\n", "cut");
    ASSERT_TRUE(instance);
    KodrinIndexedMeshLODInstance& lod = Lod(instance);
    const struct {
        float height;
        bool drawn;
        uint32_t level;
    } cases[] = {
        {10, false, 0},   // nearer than the render cut-off
        {150, true, 1},
        {250, true, 2},
        {60, true, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CullFrom(*instance, c.height), c.drawn) << c.height;
        EXPECT_EQ(lod.GetDrawLevel(), c.level) << c.height;
    }
    lod.LockDrawLevel(2);
    CullFrom(*instance, 10);
    EXPECT_EQ(lod.GetDrawLevel(), 2u);

    const Instance always = Make(kThreeLevels, "always");  // render cut-off 0
    EXPECT_TRUE(CullFrom(*always, 0.5f));
    always->SetOpacity(0);
    EXPECT_FALSE(CullFrom(*always, 0.5f));
}

TEST_F(LodMeshInstanceTest, CulledAttachmentsAreFlaggedBeyondTheirCutOff) {
    const Instance instance = Make(kThreeLevels, "attach");  // attachment cut-off 0
    ASSERT_TRUE(instance);
    const auto& culled = Lod(instance).GetCulledAttachments();
    ASSERT_EQ(culled.size(), 1u);
    EXPECT_EQ(culled[0]->GetName().View(), "a.lamp");
    CullFrom(*instance, 20);
    EXPECT_NE(culled[0]->GetFlags() & KodrinIndexedMeshLODInstance::kCulledFlag, 0u);
    EXPECT_EQ(instance->FindByName(Kiv::PString("a.horn"))->GetFlags(), 0u);
}

TEST_F(LodMeshInstanceTest, ChunksAreNotAddedScaleIsOnlyKeptAndOpacityCoversDistanceLevels) {
    const Instance instance = Make(std::string(kThreeLevels) + "mesh extra {\n  name named.im\n}\n", "ops");
    ASSERT_TRUE(instance);
    KodrinIndexedMeshLODInstance& lod = Lod(instance);
    EXPECT_FALSE(instance->AddChunk(instance->GetChunk(0), instance->GetMaterial(0)));
    EXPECT_FALSE(instance->AppendChunkGeometry(instance->GetChunk(0), 0));
    const Kiv::OrientedBox before = instance->GetBoundingVolume();
    instance->SetScale({2, 2, 2});
    EXPECT_TRUE(instance->IsScaled());
    EXPECT_EQ(instance->GetBoundingVolume().halfExtents, before.halfExtents);
    instance->SetOpacity(0.5f);
    EXPECT_EQ(lod.GetLevel(2).chunks[0]->GetOpacity(), 0.5f);
    EXPECT_EQ(lod.GetLevel(3).chunks[0]->GetOpacity(), 1.0f);  // the named level keeps its own
}

TEST_F(LodMeshInstanceTest, EachLevelIsLitOnceUntilMarkedAgain) {
    const Instance instance = Make(kThreeLevels, "light");
    ASSERT_TRUE(instance);
    KodrinIndexedMeshLODInstance& lod = Lod(instance);
    CullFrom(*instance, 10);
    instance->Render(Display(), nullptr, Kiv::Matrix4());
    instance->Render(Display(), nullptr, Kiv::Matrix4());
    EXPECT_EQ(lod.GetCalculationCount(), 1u);
    lod.UpdateAllLighting(Display(), nullptr, Kiv::Matrix4(), true, false);
    EXPECT_EQ(lod.GetCalculationCount(), 3u);
    EXPECT_EQ(lod.GetLastCalculatedChunks(), 1u);  // the level's one chunk
    EXPECT_FALSE(lod.GetUpdateLighting());  // every level lit
    lod.SetUpdateLighting(true);
    EXPECT_TRUE(lod.GetUpdateLighting());
    instance->Render(Display(), nullptr, Kiv::Matrix4());
    EXPECT_EQ(lod.GetCalculationCount(), 4u);
}

constexpr const char* kSkinned =
    "version 1\n"
    "mesh 0 {\n  name skin3.im\n}\n"
    "mesh 100 {\n  name skin2.im\n}\n"
    "mesh wheels {\n  name skin1.im\n  animated yes\n}\n"
    "mesh spin {\n  name skin3.im\n  animated yes\n}\n";

TEST_F(LodMeshInstanceTest, TheDrawnLevelAndTheAnimatedOnesAreSkinnedOnceAFrame) {
    const Instance instance = Make(kSkinned, "skinned");
    ASSERT_TRUE(instance);
    auto& skinned = dynamic_cast<Kiv::KodrinDynamicIndexedMeshLODInstance&>(*instance);
    EXPECT_EQ(skinned.GetAnimatedLevels(), (std::vector<uint32_t>{2, 0}));  // "spin" reuses level 0
    CullFrom(*instance, 10);
    instance->Render(Display(), nullptr, Kiv::Matrix4());
    const uint32_t frame = Display().GetFrameNumber();
    const std::vector<uint32_t>& frames = skinned.GetLevelFrames();
    ASSERT_EQ(frames.size(), 3u);  // one frame mark per level
    EXPECT_EQ(frames[0], frame);  // drawn and animated: once
    EXPECT_NE(frames[1], frame);
    EXPECT_EQ(frames[2], frame);

    skinned.LockDrawLevel(1);  // the distance still gives level 0
    CullFrom(*instance, 10);
    instance->Render(Display(), nullptr, Kiv::Matrix4());
    EXPECT_EQ(skinned.GetLevelFrames()[1], Display().GetFrameNumber());  // the drawn level's influences
}

// A level skinned in software has every chunk's positions rewritten, so a chunk without
// weights is the instance's own too: the definition and a copy keep their vertices.
TEST_F(LodMeshInstanceTest, SoftwareSkinnedLevelsWriteOnlyIntoTheInstancesOwnChunks) {
    meshtest::MeshSpec spec = meshtest::MeshSpec();
    spec.chunks = {meshtest::Triangles(1, "paint"), meshtest::Triangles(1, "rigid")};
    for (meshtest::Chnk& chunk : spec.chunks) chunk.geom.flags = 4;
    spec.maxWeights = 1;
    spec.maxBones = 1;
    spec.chunks[0].geom.weightMode = 2;
    spec.influences = std::vector<meshtest::Influence>{{"root", "", {}, {{0, {{0, 1}, {1, 1}, {2, 1}}}}}};
    temp.WriteFile("lodm/mixed.im", meshtest::WriteMesh(spec));
    temp.WriteFile("lodm/soft.lm.txt", "version 1\nmesh 0 {\n  name mixed.im\n}\n");
    auto* resource = dynamic_cast<Kiv::KodrinGeometryBaseResource*>(database.Get(Kiv::PString("lodm/soft.lm")));
    ASSERT_NE(resource, nullptr);
    held.push_back(resource);
    resource->SetRenderKernel(&kernel);
    resource->GetLoaderSettings().softwareAnimation = {1, 1};
    const Instance instance(resource->CreateMeshInstance());
    ASSERT_TRUE(instance);
    const auto* definition = dynamic_cast<Kiv::KodrinIndexedMeshLODDefinition*>(resource->GetDefinition());
    ASSERT_FALSE(definition->GetLevels()[0].hardwareSkinned);
    const Kiv::GeometryChunk* rigid = definition->GetLevels()[0].chunks[1];
    ASSERT_EQ(rigid->GetFlags() & Kiv::GeometryChunk::kSoftwareSkinned, 0u);
    const Instance copy(static_cast<Kiv::KodrinIndexedMeshInstance*>(instance->CreateInstance()));
    EXPECT_NE(Lod(instance).GetLevel(0).chunks[1], rigid);
    EXPECT_NE(Lod(copy).GetLevel(0).chunks[1], rigid);
    EXPECT_NE(Lod(copy).GetLevel(0).chunks[1], Lod(instance).GetLevel(0).chunks[1]);
    EXPECT_EQ(instance->GetChunk(1), Lod(instance).GetLevel(0).chunks[1]);  // the selected level's
    CullFrom(*instance, 10);
    instance->Render(Display(), nullptr, Kiv::Matrix4());
    EXPECT_EQ(rigid->GetPosition(1), (Kiv::Vector3{1, 0, 0}));
    EXPECT_EQ(Lod(copy).GetLevel(0).chunks[1]->GetPosition(1), (Kiv::Vector3{1, 0, 0}));
}

TEST_F(LodMeshInstanceTest, ACopyPointsItsOwnChunksAtItsOwnBones) {
    Instance first = Make(kSkinned, "copied");
    ASSERT_TRUE(first);
    auto& original = dynamic_cast<Kiv::KodrinDynamicIndexedMeshLODInstance&>(*first);
    const auto* definition = dynamic_cast<Kiv::KodrinIndexedMeshLODDefinition*>(first->GetResource()->GetDefinition());
    ASSERT_TRUE(definition->GetLevels()[0].hardwareSkinned);
    EXPECT_EQ(original.GetLevel(0).chunks[0]->GetAssignedInfluenceMatrix(1), &original.GetBones()[1].skinMatrix);
    EXPECT_EQ(definition->GetLevels()[0].chunks[0]->GetAssignedInfluenceMatrix(1), nullptr);

    Instance second(static_cast<Kiv::KodrinIndexedMeshInstance*>(first->CreateInstance()));
    auto& copy = dynamic_cast<Kiv::KodrinDynamicIndexedMeshLODInstance&>(*second);
    EXPECT_EQ(copy.GetLevelCount(), 3u);
    EXPECT_EQ(copy.GetSelectedLevel(), original.GetSelectedLevel());
    Kiv::GeometryChunk* originalChunk = original.GetLevel(0).chunks[0];
    originalChunk->AddReference();
    first.reset();
    EXPECT_EQ(originalChunk->GetAssignedInfluenceMatrix(1), nullptr);
    originalChunk->ReleaseReference();
    EXPECT_EQ(copy.GetLevel(0).chunks[0]->GetAssignedInfluenceMatrix(1), &copy.GetBones()[1].skinMatrix);
    EXPECT_EQ(copy.KodrinInfluenceMesh::GetSkeleton(), copy.FindByName(Kiv::PString("root")));
    CullFrom(*second, 10);
    second->Render(Display(), nullptr, Kiv::Matrix4());
    EXPECT_EQ(copy.GetLevelFrames()[0], Display().GetFrameNumber());
}

TEST_F(LodMeshInstanceTest, LodMeshDataFollowsTheSelectedLevelAndLetsItsInstanceGoFirst) {
    Instance made = Make(kThreeLevels, "data");
    ASSERT_TRUE(made);
    Kiv::KodrinGeometryBaseResource* resource = made->GetResource();
    {
        Kiv::LODMeshData mesh;
        EXPECT_EQ(mesh.GetFaceCount(), 0u);
        mesh.lodInstance = &Lod(made);
        mesh.instance = made.release();
        mesh.AddChild(mesh.instance);  // held as a child and in both fields
        mesh.lodDefinition = dynamic_cast<Kiv::KodrinIndexedMeshLODDefinition*>(resource->GetDefinition());
        EXPECT_EQ(mesh.GetFaceCount(), 1u);
        mesh.lodInstance->SelectLevel(0);
        EXPECT_EQ(mesh.GetFaceCount(), 3u);
        EXPECT_EQ(mesh.GetMeshInstance(), mesh.lodInstance);
        EXPECT_EQ(mesh.GetOrigin(), &mesh.lodDefinition->GetPosition());

        mesh.UpdateLighting(Display(), nullptr, Kiv::Matrix4(), false);
        EXPECT_EQ(mesh.lodInstance->GetCalculationCount(), 1u);
        EXPECT_TRUE(mesh.lodInstance->GetUpdateLighting());  // marked again
        EXPECT_EQ(resource->GetLockCount(), 1);
    }
    EXPECT_EQ(resource->GetLockCount(), 0);  // deleted once, with its resource let go
}

TEST_F(LodMeshInstanceTest, MeshDataCountsItsInstancesFaces) {
    Kiv::MeshData mesh;
    EXPECT_EQ(mesh.GetFaceCount(), 0u);
    auto* resource = dynamic_cast<Kiv::KodrinGeometryBaseResource*>(database.Get(Kiv::PString("lodm/three.im")));
    ASSERT_NE(resource, nullptr);
    held.push_back(resource);
    resource->SetRenderKernel(&kernel);
    mesh.instance = resource->CreateMeshInstance();
    mesh.AddChild(mesh.instance);
    EXPECT_EQ(mesh.GetFaceCount(), 3u);
}

TEST_F(LodMeshInstanceTest, ACollisionPartNamingNoLevelFallsBackToTheLastDistanceLevel) {
    meshtest::LmSpec spec;
    spec.levels = {meshtest::TriangleLevel(0), meshtest::TriangleLevel(5)};
    spec.levels[0].chunks.push_back(spec.levels[0].chunks[0]);  // level 0: two faces
    spec.named = {{9, "collision", true}};
    temp.WriteFile("lodm/far.lm", meshtest::WriteLm(spec));
    auto* resource = dynamic_cast<Kiv::KodrinGeometryBaseResource*>(database.Get(Kiv::PString("lodm/far.lm")));
    ASSERT_NE(resource, nullptr);
    held.push_back(resource);
    resource->SetRenderKernel(&kernel);
    const Instance instance(resource->CreateMeshInstance());
    ASSERT_TRUE(instance);
    EXPECT_EQ(Lod(instance).GetSelectedLevel(), 1u);
    EXPECT_EQ(instance->GetFaceCount(), 1u);
    EXPECT_TRUE(CullFrom(*instance, 10));
}

}  // namespace
