// Mesh instances of ".im" and ".pm" resources: the class each definition gets, what an
// instance takes from its definition, drawing with chunk bones, scale and collision,
// progressive detail, skinning in software and on the display, copies, and the chunk and
// texture operations.
#include <gtest/gtest.h>

#include <memory>

#include "content3d/mesh/dynamic_mesh_instances.h"
#include "engine/bitmap.h"
#include "engine/display.h"
#include "engine/reference_point.h"
#include "engine/texture.h"
#include "engine/vertex_program.h"
#include "engine/view_point.h"
#include "mesh_test_support.h"

namespace {

using meshtest::MeshSpec;
using Instance = std::unique_ptr<Kiv::KodrinIndexedMeshInstance>;

// One triangle skinned by the bone "root" (all three vertices, full weight).
MeshSpec Skinned(uint32_t maxBones = 1) {
    MeshSpec spec = OneTriangle();
    spec.maxWeights = 1;
    spec.maxBones = maxBones;
    spec.chunks[0].geom.weightMode = 2;
    spec.influences = std::vector<meshtest::Influence>{{"root", "", {}, {{0, {{0, 1}, {1, 1}, {2, 1}}}}}};
    return spec;
}

// Two chunks of two triangles; step 1 adds one face to chunk 0, step 2 two faces to chunk 1.
MeshSpec WithSteps() {
    MeshSpec spec;
    spec.chunks = {meshtest::Triangles(2), meshtest::Triangles(2)};
    meshtest::Pmin pmin;
    pmin.positions = {0, 1};
    pmin.changes = {{0, 0, 0, 0}, {3, 1, 0, 1}, {6, 2, 0, 1}};
    pmin.chunkSteps = {{0, 1}, {0, 1}, {1, 1}};
    pmin.steps = {1, 1, 1};
    spec.pmin = pmin;
    return spec;
}

class MeshInstanceTest : public MeshTest {
protected:
    // The instance of a mesh written from spec, its chunks made triangle lists (kind 4).
    // softwareSkinning: the loader's "SoftwareAnimation" setting.
    Instance Make(const std::string& name, MeshSpec spec, bool softwareSkinning = false) {
        for (meshtest::Chnk& chunk : spec.chunks) chunk.geom.flags = 4;
        Kiv::KodrinGeometryBaseResource* resource = Resource(name, meshtest::WriteMesh(spec));
        if (!resource) return nullptr;
        if (softwareSkinning) resource->GetLoaderSettings().softwareAnimation = {1, 1};
        return Instance(resource->CreateMeshInstance());
    }
    Kiv::Display& Display() { return *kernel.GetDisplay(); }
    // Culls and draws the instance in a new frame; the draw lines recorded.
    size_t DrawFrame(Kiv::KodrinIndexedMeshInstance& instance) {
        Display().BeginFrame();
        Kiv::ViewPoint viewpoint(nullptr, Display().GetFrameNumber());
        instance.Cull(viewpoint, Kiv::Matrix4());
        for (Particle* child : instance.GetChildren()) MarkTree(*child, viewpoint);
        Display().SetRecording(true);
        Display().ClearCallLog();
        instance.Render(Display(), nullptr, Kiv::Matrix4());
        Display().SetRecording(false);
        size_t draws = 0;
        for (const std::string& line : Display().GetCallLog()) draws += line.rfind("Draw ", 0) == 0;
        return draws;
    }
    using Particle = Kiv::Particle;
    static void MarkTree(Particle& particle, Kiv::ViewPoint& viewpoint) {
        particle.Particle::Cull(viewpoint, Kiv::Matrix4());
        for (Particle* child : particle.GetChildren()) MarkTree(*child, viewpoint);
    }
};

TEST_F(MeshInstanceTest, EachDefinitionGetsItsInstanceClass) {
    MeshSpec noRoot = Skinned();
    (*noRoot.influences)[0].parent = "root";  // its own parent: no parentless bone
    const struct {
        const char* name;
        MeshSpec spec;
        int typeId;  // 0: no instance
    } cases[] = {
        {"plain.im", OneTriangle(), 17},
        {"bones-zero.im", Skinned(0), 17},
        {"skinned.im", Skinned(), 18},
        {"rootless.im", noRoot, 0},
        {"plain.pm", OneTriangle(), 19},
        {"skinned.pm", Skinned(), 20},
        {"rootless.pm", noRoot, 0},
    };
    for (const auto& c : cases) {
        const Instance instance = Make(c.name, c.spec);
        EXPECT_EQ(instance ? instance->GetTypeId() : 0, c.typeId) << c.name;
    }
}

TEST_F(MeshInstanceTest, NoInstanceWithoutAKernelOrALoadedDefinition) {
    temp.WriteFile("a.im", meshtest::WriteMesh(OneTriangle()));
    auto* resource = dynamic_cast<Kiv::KodrinGeometryBaseResource*>(database.Get(Kiv::PString("a.im")));
    held.push_back(resource);
    EXPECT_EQ(resource->CreateMeshInstance(), nullptr);
    EXPECT_EQ(Make("broken.im", [] { MeshSpec s = OneTriangle(); s.trailing = "junk"; return s; }()), nullptr);
}

TEST_F(MeshInstanceTest, AnInstanceSharesTheDefinitionsChunksAndHoldsItsResource) {
    MeshSpec spec = OneTriangle();
    spec.attachments = std::vector<meshtest::Attachment>{{"p.centre", {1, 2, 3}}, {"a.light", {}}, {"x", {}}};
    const Instance instance = Make("shared.im", spec);
    ASSERT_TRUE(instance);
    Kiv::KodrinGeometryBaseResource* resource = instance->GetResource();
    EXPECT_EQ(resource->GetLockCount(), 1);
    EXPECT_EQ(instance->GetChunk(0), resource->GetDefinition()->GetChunk(0));
    EXPECT_EQ(instance->GetName().View(), "kivmesh/shared.im");
    EXPECT_EQ(instance->GetFaceCount(), 1u);
    auto* point = dynamic_cast<Kiv::ReferencePoint*>(instance->FindByName(Kiv::PString("p.centre")));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->position, (Kiv::Vector3{1, 2, 3}));
    EXPECT_NE(instance->FindByName(Kiv::PString("a.light")), nullptr);
    EXPECT_EQ(instance->FindByName(Kiv::PString("x")), nullptr);

    Instance copy(static_cast<Kiv::KodrinIndexedMeshInstance*>(instance->CreateInstance()));
    EXPECT_EQ(resource->GetLockCount(), 2);
    EXPECT_EQ(copy->GetChunkArray(), instance->GetChunkArray());
    EXPECT_NE(copy->FindByName(Kiv::PString("p.centre")), nullptr);  // its own named points
    EXPECT_NE(copy->FindByName(Kiv::PString("a.light")), instance->FindByName(Kiv::PString("a.light")));
    copy.reset();
    EXPECT_EQ(resource->GetLockCount(), 1);
}

TEST_F(MeshInstanceTest, WithChunkBonesOnlyChunksOfVisitedBonesAreDrawn) {
    MeshSpec spec = Skinned(0);  // a skeleton, but a static instance
    spec.chunks = {meshtest::Triangles(1), meshtest::Triangles(1), meshtest::Triangles(1)};
    spec.chunks[0].geom.chunkMaterialName = "root";
    spec.chunks[1].geom.chunkMaterialName = "nobody";
    const Instance instance = Make("bones.im", spec);
    ASSERT_TRUE(instance);
    ASSERT_EQ(instance->GetChunkBones().size(), 3u);
    EXPECT_NE(instance->GetChunkBones()[0], nullptr);
    EXPECT_EQ(instance->GetChunkBones()[1], nullptr);
    EXPECT_EQ(instance->GetChunkBones()[2], nullptr);  // no name
    EXPECT_EQ(DrawFrame(*instance), 1u);

    // A copy looks bones up again only for the chunks that had one.
    Instance copy(static_cast<Kiv::KodrinIndexedMeshInstance*>(instance->CreateInstance()));
    ASSERT_EQ(copy->GetChunkBones().size(), 3u);
    EXPECT_EQ(copy->GetChunkBones()[0], copy->FindByName(Kiv::PString("root")));
    EXPECT_NE(copy->GetChunkBones()[0], instance->GetChunkBones()[0]);
    EXPECT_EQ(copy->GetChunkBones()[1], nullptr);
}

TEST_F(MeshInstanceTest, ScaleAndCollision) {
    MeshSpec spec = OneTriangle();  // (0,0,0) (1,0,0) (0,1,0): its front faces +z
    const Instance instance = Make("hit.im", spec);
    ASSERT_TRUE(instance);
    const struct {
        Kiv::Vector3 point, direction;
        bool hit;
        float distance;
    } cases[] = {
        {{0.25f, 0.25f, 5}, {0, 0, -1}, true, 5},    // the front face
        {{0.25f, 0.25f, -5}, {0, 0, 1}, false, 0},   // the back face, one-sided
        {{0.9f, 0.9f, 5}, {0, 0, -1}, false, 0},     // beside the triangle
        {{0.25f, 0.25f, 5}, {0, 0, 1}, false, 0},    // pointing away
    };
    for (const auto& c : cases) {
        float best = 100;
        Kiv::TriangleFace face;
        EXPECT_EQ(instance->TestCollisionGeometry(c.point, c.direction, best, face), c.hit) << c.point.z;
        if (c.hit) {
            EXPECT_FLOAT_EQ(best, c.distance);
        }
    }
    float near = 1;
    Kiv::TriangleFace face;
    EXPECT_FALSE(instance->TestCollisionGeometry({0.25f, 0.25f, 5}, {0, 0, -1}, near, face));  // not nearer

    instance->GetMaterial(0)->flags |= 1;  // double-sided
    float best = 100;
    EXPECT_TRUE(instance->TestCollisionGeometry({0.25f, 0.25f, -5}, {0, 0, 1}, best, face));

    instance->SetScale({2, 2, 2});
    EXPECT_TRUE(instance->IsScaled());
    best = 100;
    EXPECT_TRUE(instance->TestCollisionGeometry({0.25f, 0.25f, 5}, {0, 0, -1}, best, face));
    EXPECT_FLOAT_EQ(best, 2.5f);  // in the instance's own space
    instance->SetScale({1, 0, 1});
    best = 100;
    EXPECT_FALSE(instance->TestCollisionGeometry({0.25f, 0.25f, 5}, {0, 0, -1}, best, face));
    instance->SetScale({1, 1, 1});
    EXPECT_FALSE(instance->IsScaled());
}

TEST_F(MeshInstanceTest, ProgressiveDetailMovesByWholeSteps) {
    const Instance made = Make("steps.pm", WithSteps());
    auto* instance = dynamic_cast<Kiv::KodrinProgressiveMeshInstance*>(made.get());
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->GetCurrentStep(), 2u);
    EXPECT_EQ(instance->GetCurrentFaceCount(), 4u);
    EXPECT_NE(instance->GetChunk(0), instance->GetResource()->GetDefinition()->GetChunk(0));

    instance->SetDetail(2);  // step 2 would leave 2, step 1 then 1: stop at 2
    EXPECT_EQ(instance->GetCurrentStep(), 1u);
    EXPECT_EQ(instance->GetCurrentFaceCount(), 2u);
    EXPECT_EQ(instance->GetFaceCount(), 2u);
    instance->SetDetail(0);  // step 0 stays
    EXPECT_EQ(instance->GetCurrentStep(), 0u);
    EXPECT_EQ(instance->GetCurrentFaceCount(), 1u);
    instance->SetDetail(3);  // between two steps: at or above the target
    EXPECT_EQ(instance->GetCurrentFaceCount(), 4u);
    instance->SetDetail(1000);  // past the last step: stays at the last
    EXPECT_EQ(instance->GetCurrentStep(), 2u);
    EXPECT_EQ(instance->GetFaceCount(), 4u);
    EXPECT_FALSE(instance->AddChunk(instance->GetChunk(0), nullptr));
}

TEST_F(MeshInstanceTest, ASoftwareSkinnedChunkMovesWithItsBone) {
    const Instance instance = Make("soft.im", Skinned(), true);
    ASSERT_TRUE(instance);
    Kiv::GeometryChunk* chunk = instance->GetChunk(0);
    ASSERT_NE(chunk->GetFlags() & Kiv::GeometryChunk::kSoftwareSkinned, 0u);
    EXPECT_NE(chunk, instance->GetResource()->GetDefinition()->GetChunk(0));
    DrawFrame(*instance);
    const Kiv::Vector3 before = chunk->GetPosition(1);
    auto* bone = static_cast<Kiv::ParticleBone*>(instance->FindByName(Kiv::PString("root")));
    ASSERT_NE(bone, nullptr);
    bone->position = {0, 0, 5};
    DrawFrame(*instance);
    EXPECT_EQ(chunk->GetPosition(1), (Kiv::Vector3{before.x, before.y, before.z + 5}));
}

// Skinning in software rebuilds every chunk's positions: a chunk without weights is made
// the instance's own too, so neither the definition nor a copy sees its vertices move.
TEST_F(MeshInstanceTest, SoftwareSkinningWritesOnlyIntoTheInstancesOwnChunks) {
    MeshSpec spec = Skinned();
    spec.chunks.push_back(meshtest::Triangles(1, "rigid"));
    const Instance instance = Make("mixed.im", spec, true);
    ASSERT_TRUE(instance);
    ASSERT_EQ(instance->GetChunkCount(), 2u);
    const Kiv::KodrinIndexedMeshDefinition* definition = instance->GetResource()->GetDefinition();
    ASSERT_EQ(definition->GetChunk(1)->GetFlags() & Kiv::GeometryChunk::kSoftwareSkinned, 0u);
    Instance copy(static_cast<Kiv::KodrinIndexedMeshInstance*>(instance->CreateInstance()));
    EXPECT_NE(instance->GetChunk(1), definition->GetChunk(1));
    EXPECT_NE(copy->GetChunk(1), definition->GetChunk(1));
    EXPECT_NE(copy->GetChunk(1), instance->GetChunk(1));
    DrawFrame(*instance);
    EXPECT_EQ(definition->GetChunk(1)->GetPosition(1), (Kiv::Vector3{1, 0, 0}));
    EXPECT_EQ(copy->GetChunk(1)->GetPosition(1), (Kiv::Vector3{1, 0, 0}));
}

TEST_F(MeshInstanceTest, DisplaySkinnedChunksPointAtTheirOwnInstancesMatrices) {
    Instance first = Make("hard.im", Skinned());
    ASSERT_TRUE(first);
    const Kiv::KodrinIndexedMeshDefinition* definition = first->GetResource()->GetDefinition();
    ASSERT_TRUE(definition->IsHardwareSkinning());
    auto* skin = dynamic_cast<Kiv::KodrinInfluenceMesh*>(first.get());
    EXPECT_EQ(first->GetChunk(0)->GetAssignedInfluenceMatrix(0), &skin->GetBones()[0].skinMatrix);
    EXPECT_EQ(definition->GetChunk(0)->GetAssignedInfluenceMatrix(0), nullptr);

    Instance copy(static_cast<Kiv::KodrinIndexedMeshInstance*>(first->CreateInstance()));
    auto* copySkin = dynamic_cast<Kiv::KodrinInfluenceMesh*>(copy.get());
    Kiv::GeometryChunk* firstChunk = first->GetChunk(0);
    firstChunk->AddReference();
    first.reset();
    EXPECT_EQ(firstChunk->GetAssignedInfluenceMatrix(0), nullptr);  // released with its instance
    firstChunk->ReleaseReference();
    EXPECT_EQ(copy->GetChunk(0)->GetAssignedInfluenceMatrix(0), &copySkin->GetBones()[0].skinMatrix);
    EXPECT_EQ(copySkin->GetSkeleton(), copy->FindByName(Kiv::PString("root")));
    static_cast<Kiv::ParticleBone*>(copy->FindByName(Kiv::PString("root")))->position = {0, 0, 5};
    DrawFrame(*copy);
    EXPECT_EQ(copy->GetChunk(0)->GetAssignedInfluenceMatrix(0)->GetTranslation(), (Kiv::Vector3{0, 0, 5}));
}

TEST_F(MeshInstanceTest, AddingAndAppendingChunks) {
    const Instance instance = Make("add.im", OneTriangle());
    ASSERT_TRUE(instance);
    Kiv::GeometryChunk* own = instance->GetChunk(0);
    const auto shared = instance->GetChunkArray();
    EXPECT_TRUE(instance->AddChunk(own, instance->GetMaterial(0)));
    EXPECT_EQ(instance->GetChunkCount(), 2u);
    EXPECT_NE(instance->GetChunkArray(), shared);  // the definition's array is left alone
    EXPECT_EQ(shared->size(), 1u);

    EXPECT_TRUE(instance->AppendChunkGeometry(own, 0));
    EXPECT_EQ(instance->GetChunk(0)->GetVertexCount(), 6);
    EXPECT_EQ(instance->GetChunk(0)->GetIndices()[3], 3);
    EXPECT_EQ(own->GetVertexCount(), 3);  // appended to a copy
    EXPECT_FALSE(instance->AppendChunkGeometry(own, 5));

    auto* big = new Kiv::GeometryChunk(65535, 1, 3, 0, own->GetFlags(), own->GetHint(), own->GetItemKinds());
    EXPECT_FALSE(instance->AppendChunkGeometry(big, 0));  // 16-bit indices would wrap
    auto* skinned = new Kiv::GeometryChunk(3, 1, 3, 0, own->GetFlags() & ~Kiv::GeometryChunk::kNotSkinnedOnDisplay,
                                           own->GetHint(), own->GetItemKinds());
    EXPECT_FALSE(instance->AddChunk(skinned, nullptr));
    skinned->ReleaseReference();
    big->ReleaseReference();
}

TEST_F(MeshInstanceTest, ProjectingVerticesAndTheFaceQueries) {
    const Instance instance = Make("project.im", OneTriangle());
    ASSERT_TRUE(instance);
    std::vector<Kiv::ProjectedPoint> points;
    instance->ProjectVertices(points, {0, 1, 0, 1, 0, 0, 0, 0, 1}, {10, 20});
    ASSERT_EQ(points.size(), 3u);
    EXPECT_FLOAT_EQ(points[1].x, 10);  // (1, 0, 0) with x and y swapped
    EXPECT_FLOAT_EQ(points[1].y, 21);
    const Kiv::TriangleFace face{instance.get(), 0, 0};
    EXPECT_FLOAT_EQ(instance->GetFaceCentroid(face).x, 1.0f * 0.33333334f);
    EXPECT_EQ(instance->GetFaceMaterial(face), instance->GetMaterial(0));
    Kiv::TriangleFace across;
    EXPECT_FALSE(instance->GetFaceNeighbour(face, 0, across));
}

TEST_F(MeshInstanceTest, BitmapsAreWrittenIntoAMaterialsTextureInTheDisplaysFormat) {
    MeshSpec spec = OneTriangle();
    spec.chunks[0].matl.textures = {{0, "paint.tga", 1}};
    temp.WriteFile("paint.tga", "not read before use");
    const Instance instance = Make("textured.im", spec);
    ASSERT_TRUE(instance);
    Kiv::Texture* texture = instance->GetMaterial(0)->GetTexture(0);
    ASSERT_NE(texture, nullptr);
    const struct {
        Kiv::Bitmap::Format format;
        bool written;
        int displayFormat;
    } cases[] = {
        {Kiv::Bitmap::kFormatBGRA, true, 1},
        {Kiv::Bitmap::kFormatBGRX, true, 3},
        {Kiv::Bitmap::kFormatRaw, false, 0},
    };
    for (const auto& c : cases) {
        const auto bitmap = Kiv::Bitmap::Create(2, 2, c.format, 16);
        ASSERT_TRUE(bitmap);
        const size_t before = texture->GetUploads().size();
        EXPECT_EQ(instance->SetTextureFromBitmap(7, 8, 0, 0, *bitmap), c.written) << c.format;
        if (c.written) {
            ASSERT_EQ(texture->GetUploads().size(), before + 1);
            EXPECT_EQ(texture->GetUploads().back().format, c.displayFormat);
            EXPECT_EQ(texture->GetUploads().back().a, 7);
        }
    }
    const auto bitmap = Kiv::Bitmap::Create(2, 2, Kiv::Bitmap::kFormatBGRA);
    EXPECT_FALSE(instance->SetTextureFromBitmap(0, 0, 0, 3, *bitmap));  // no texture in that slot
    EXPECT_FALSE(instance->SetTextureFromBitmap(0, 0, 5, 0, *bitmap));  // no such material
    EXPECT_FALSE(instance->SetTextureFromFile(0, 0, 0, 0, "missing.tga"));
}

// Two bones, "arm" first and "root" (its parent) second, each moving one vertex.
MeshSpec TwoBones() {
    MeshSpec spec = Skinned(2);
    spec.influences = std::vector<meshtest::Influence>{{"arm", "root", {}, {{0, {{1, 1}}}}},
                                                       {"root", "", {}, {{0, {{0, 1}, {2, 1}}}}}};
    return spec;
}

TEST_F(MeshInstanceTest, SkinnedChunksOfAnotherMeshKeepTheirSkinningByBoneName) {
    const Instance target = Make("target.im", Skinned(), true);
    const Instance other = Make("other.im", Skinned(), true);
    MeshSpec strange = Skinned();
    (*strange.influences)[0].name = "tail";
    const Instance stranger = Make("stranger.im", strange, true);
    ASSERT_TRUE(target && other && stranger);
    auto& dynamic = dynamic_cast<Kiv::KodrinDynamicIndexedMeshInstance&>(*target);
    const auto& otherSkin = dynamic_cast<const Kiv::KodrinInfluenceMesh&>(*other);
    const auto& strangerSkin = dynamic_cast<const Kiv::KodrinInfluenceMesh&>(*stranger);

    EXPECT_FALSE(dynamic.AddSkinnedChunk(stranger->GetChunk(0), nullptr, strangerSkin, 0));  // no bone "tail"
    EXPECT_EQ(target->GetChunkCount(), 1u);
    ASSERT_TRUE(dynamic.AddSkinnedChunk(other->GetChunk(0), other->GetMaterial(0), otherSkin, 0));
    ASSERT_EQ(target->GetChunkCount(), 2u);
    const auto& groups = dynamic.GetBones()[0].levels[0].groups;
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[1].chunkIndex, 1u);

    DrawFrame(*target);
    const Kiv::Vector3 before = target->GetChunk(1)->GetPosition(2);
    static_cast<Kiv::ParticleBone*>(target->FindByName(Kiv::PString("root")))->position = {0, 0, 5};
    DrawFrame(*target);
    EXPECT_EQ(target->GetChunk(1)->GetPosition(2), (Kiv::Vector3{before.x, before.y, before.z + 5}));

    // Appending: the groups follow the vertices, merged into the chunk's own group.
    ASSERT_TRUE(dynamic.AppendSkinnedChunkGeometry(other->GetChunk(0), 0, otherSkin, 0));
    EXPECT_EQ(target->GetChunk(0)->GetVertexCount(), 6);
    const auto& merged = dynamic.GetBones()[0].levels[0].groups[0];
    ASSERT_EQ(merged.entries.size(), 6u);
    EXPECT_EQ(merged.entries[3].vertex, 3u);
    EXPECT_FALSE(dynamic.AppendSkinnedChunkGeometry(other->GetChunk(0), 9, otherSkin, 0));
}

TEST_F(MeshInstanceTest, ChunksSkinnedOnTheDisplayHaveTheirMatricesRenumbered) {
    const Instance target = Make("hard-target.im", Skinned());
    const Instance source = Make("hard-source.im", TwoBones());
    const Instance soft = Make("soft-source.im", Skinned(), true);
    ASSERT_TRUE(target && source && soft);
    auto& dynamic = dynamic_cast<Kiv::KodrinDynamicIndexedMeshInstance&>(*target);
    const auto& sourceSkin = dynamic_cast<const Kiv::KodrinInfluenceMesh&>(*source);
    Kiv::GeometryChunk* chunk = source->GetChunk(0);

    // A software-skinned chunk does not go into a mesh skinned on the display.
    EXPECT_FALSE(dynamic.AddSkinnedChunk(soft->GetChunk(0), nullptr, dynamic_cast<const Kiv::KodrinInfluenceMesh&>(*soft), 0));
    ASSERT_EQ(chunk->GetInfluenceMatrices(), (std::vector<int>{0, 1}));
    EXPECT_FALSE(dynamic.AddSkinnedChunk(chunk, nullptr, sourceSkin, 0));  // "arm" has no namesake
    const Instance narrow = Make("hard-narrow.im", Skinned());
    const auto& narrowSkin = dynamic_cast<const Kiv::KodrinInfluenceMesh&>(*narrow);
    Kiv::GeometryChunk* one = narrow->GetChunk(0);
    ASSERT_FALSE(one->GetInfluenceMatrices().empty());
    ASSERT_TRUE(dynamic.AddSkinnedChunk(one, nullptr, narrowSkin, 0));
    Kiv::GeometryChunk* added = target->GetChunk(1);
    EXPECT_NE(added, one);
    EXPECT_EQ(added->GetIndexUploadCount(), one->GetIndexUploadCount() + 1);
    EXPECT_EQ(added->GetAssignedInfluenceMatrix(0), &dynamic.GetBones()[0].skinMatrix);
    // No vertex program with matrix registers: nothing appended.
    EXPECT_FALSE(dynamic.AppendSkinnedChunkGeometry(one, 0, narrowSkin, 0));
    EXPECT_EQ(target->GetChunk(0)->GetVertexCount(), 3);
}

TEST_F(MeshInstanceTest, AppendedVerticesNameTheirBonesBySlotsOfTheTargetChunk) {
    MeshSpec rootFirst = TwoBones();
    std::swap((*rootFirst.influences)[0], (*rootFirst.influences)[1]);
    const Instance target = Make("slots-target.im", rootFirst);
    const Instance source = Make("slots-source.im", TwoBones());
    ASSERT_TRUE(target && source);
    auto& dynamic = dynamic_cast<Kiv::KodrinDynamicIndexedMeshInstance&>(*target);
    Kiv::GeometryChunk* own = target->GetChunk(0);
    Kiv::GeometryChunk* chunk = source->GetChunk(0);
    ASSERT_EQ(own->GetInfluenceMatrices(), (std::vector<int>{0, 1}));  // root, arm
    // Source vertices 0 and 2 follow its matrix 1 (root, byte 3), vertex 1 its matrix 0 (arm).
    const uint32_t* sourceWords = chunk->GetWordItem(Kiv::kItemPackedIndices);
    ASSERT_EQ(sourceWords[0] & 0xFF, 3u);
    ASSERT_EQ(sourceWords[1] & 0xFF, 0u);

    auto* program = new Kiv::VertexProgram(Kiv::VertexProgramEntry{"skin", "PNT", {}});
    program->SetMatrixRegisterRange(10, 16);  // two matrices
    own->SetVertexProgram(program);
    ASSERT_TRUE(dynamic.AppendSkinnedChunkGeometry(chunk, 0, dynamic_cast<const Kiv::KodrinInfluenceMesh&>(*source), 0));
    Kiv::GeometryChunk* joined = target->GetChunk(0);
    const uint32_t* words = joined->GetWordItem(Kiv::kItemPackedIndices);
    ASSERT_EQ(joined->GetVertexCount(), 6);
    EXPECT_EQ(words[3] & 0xFF, 0u);  // root: the target's slot 0
    EXPECT_EQ(words[4] & 0xFF, 3u);  // arm: the target's slot 1
    EXPECT_EQ(words[5] & 0xFF, 0u);
    EXPECT_EQ(words[3] >> 8, sourceWords[0] >> 8);  // unused bytes left alone
    EXPECT_EQ(joined->GetInfluenceMatrices(), (std::vector<int>{0, 1}));

    program->SetMatrixRegisterRange(10, 12);  // room for no matrix
    EXPECT_FALSE(dynamic.AppendSkinnedChunkGeometry(chunk, 0, dynamic_cast<const Kiv::KodrinInfluenceMesh&>(*source), 0));
    program->ReleaseReference();
}

}  // namespace
