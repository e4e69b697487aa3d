// MeshData: its load step run inline on the main thread and waited for from a worker, no
// step installed meaning failure, attachment names cut to their last part, bones from the
// skeleton (none without one), its fixed answers, its children deleted with it, and the
// attachment points a definition gives an instance.
#include "content3d/mesh/mesh_data.h"
#include "engine/attachment_point.h"

#include <gtest/gtest.h>

#include <thread>

#include "engine/thread.h"
#include "foundation/jobs/process_identity.h"
#include "foundation/jobs/worker_job_queue.h"
#include "mesh_test_support.h"

namespace {

uint32_t g_stepThread = 0;

void SucceedingStep(Kiv::MeshData& mesh, bool* success) {
    g_stepThread = Kiv::Thread::GetCurrentId();
    mesh.loaded = true;
    *success = true;
}

class MeshDataTest : public MeshTest {
protected:
    MeshDataTest() {
        RecordMainThreadId();
        Kiv::MeshData::SetSteps(SucceedingStep, SucceedingStep);
    }
    ~MeshDataTest() override { Kiv::MeshData::SetSteps(nullptr, nullptr); }
};

TEST_F(MeshDataTest, OnTheMainThreadTheStepRunsInsideTheCall) {
    Kiv::MeshData mesh;
    int context = 0;
    g_stepThread = 0;
    EXPECT_TRUE(mesh.Load(Kiv::PString("a/b.im"), &context));
    EXPECT_EQ(g_stepThread, Kiv::Thread::GetCurrentId());
    EXPECT_TRUE(mesh.loaded);
    EXPECT_EQ(mesh.meshName.View(), "a/b.im");
    EXPECT_EQ(mesh.reportContext, &context);
    EXPECT_FALSE(WorkerJobQueue::Singleton().HasPendingWork());
    EXPECT_TRUE(mesh.LoadAnimation(Kiv::PString("walk.kin")));
    EXPECT_EQ(mesh.animationName.View(), "walk.kin");

    Kiv::MeshData::SetSteps(nullptr, nullptr);
    EXPECT_FALSE(mesh.Load(Kiv::PString("a/b.im"), nullptr));
}

TEST_F(MeshDataTest, FromAnotherThreadTheCallWaitsForTheMainThreadToRunTheStep) {
    Kiv::MeshData mesh;
    bool result = false;
    g_stepThread = 0;
    std::thread worker([&] { result = mesh.Load(Kiv::PString("c.im"), nullptr); });
    WorkerJobQueue& queue = WorkerJobQueue::Singleton();
    ASSERT_TRUE(queue.WaitMainThreadEvent(60000));  // a bound only: the post notifies at once
    EXPECT_FALSE(mesh.loaded);
    queue.RunNextJob(0);
    worker.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(g_stepThread, Kiv::Thread::GetCurrentId());
}

TEST_F(MeshDataTest, AttachmentsAndBonesAreCopiedOutOfTheDefinition) {
    meshtest::MeshSpec spec = OneTriangle();
    spec.attachments = std::vector<meshtest::Attachment>{{"a/b/c.att", {1, 2, 3}}, {"a.plain", {}}};
    ASSERT_EQ(LoadIm(spec), Kiv::RES_OK);
    Kiv::MeshData mesh;
    Kiv::MeshData::CopyAttachments(*definition, mesh);
    ASSERT_EQ(mesh.GetAttachmentCount(), 2u);
    EXPECT_EQ(mesh.GetAttachments()[0].name.View(), "c.att");
    EXPECT_EQ(mesh.GetAttachments()[0].position, (Kiv::Vector3{1, 2, 3}));
    EXPECT_EQ(mesh.GetAttachments()[1].name.View(), "a.plain");

    Kiv::MeshData::CollectBones(*definition, mesh.bones);  // no skeleton, no bones
    EXPECT_EQ(mesh.GetBoneCount(), 0u);
    spec.influences = std::vector<meshtest::Influence>{
        {"root", "", {0, 1, 0}, {}}, {"arm", "root", {2, 0, 0}, {}}, {"hand", "arm", {}, {}}, {"leg", "root", {}, {}}};
    ASSERT_EQ(LoadIm(spec), Kiv::RES_OK);
    Kiv::MeshData::CollectBones(*definition, mesh.bones);
    ASSERT_EQ(mesh.GetBoneCount(), 4u);
    EXPECT_EQ(mesh.GetBones()[1].name.View(), "arm");
    EXPECT_EQ(mesh.GetBones()[1].position, (Kiv::Vector3{2, 0, 0}));
    EXPECT_EQ(mesh.GetBones()[2].name.View(), "hand");
    EXPECT_EQ(mesh.GetBones()[3].name.View(), "leg");
}

class CountedParticle : public Kiv::Particle {
public:
    explicit CountedParticle(int& deleted) : deleted_(deleted) {}
    ~CountedParticle() override { ++deleted_; }

private:
    int& deleted_;
};

TEST_F(MeshDataTest, FixedAnswersAndChildrenGoWithTheObject) {
    int deleted = 0;
    {
        Kiv::MeshData mesh;
        EXPECT_EQ(mesh.GetDefaultName().View(), "some name");
        EXPECT_EQ(mesh.GetExtraCount(), 0u);
        EXPECT_EQ(mesh.GetOrigin(), nullptr);
        ASSERT_EQ(LoadIm(OneTriangle()), Kiv::RES_OK);
        mesh.definition = definition.get();
        EXPECT_EQ(mesh.GetOrigin(), &definition->GetPosition());
        mesh.instance = new CountedParticle(deleted);
        mesh.AddChild(mesh.instance);
        mesh.AddChild(new CountedParticle(deleted));
        mesh.skeletonModifier = std::make_unique<Kiv::SkeletonModifier>();
        mesh.animator = std::make_unique<Kiv::Animator>();
    }
    EXPECT_EQ(deleted, 2);
}


TEST_F(MeshDataTest, AttachmentsStartingWithAHangUnderTheSkeletonInItsSpace) {
    meshtest::MeshSpec spec = OneTriangle();
    spec.attachments = std::vector<meshtest::Attachment>{
        {"a.light.front", {1, 2, 3}}, {"Abc", {0, 0, 0}}, {"b.ignored", {}}, {"", {}}};
    ASSERT_EQ(LoadIm(spec), Kiv::RES_OK);
    Kiv::ParticleStructure loose;
    definition->AddAttachmentPoints(loose);
    ASSERT_EQ(loose.GetChildren().size(), 2u);
    auto* front = dynamic_cast<Kiv::AttachmentPoint*>(loose.GetChildren()[0]);
    ASSERT_NE(front, nullptr);
    EXPECT_EQ(front->GetKind().View(), "a");
    EXPECT_EQ(front->GetSubName().View(), "light.front");
    EXPECT_EQ(front->position, (Kiv::Vector3{1, 2, 3}));
    EXPECT_EQ(dynamic_cast<Kiv::AttachmentPoint*>(loose.GetChildren()[1])->GetKind().View(), "Abc");

    Kiv::ParticleBone root(Kiv::PString("root"));
    root.SetRest({1, 0, 0}, {0, 0, 0, 1});
    Kiv::ParticleStructure skinned;
    skinned.SetSkeleton(&root);
    definition->AddAttachmentPoints(skinned);
    EXPECT_TRUE(skinned.GetChildren().empty());
    ASSERT_EQ(root.GetChildren().size(), 2u);
    EXPECT_EQ(dynamic_cast<Kiv::AttachmentPoint*>(root.GetChildren()[0])->position, (Kiv::Vector3{0, 2, 3}));
    for (Kiv::Particle* structure : {static_cast<Kiv::Particle*>(&loose), static_cast<Kiv::Particle*>(&root)}) {
        while (!structure->GetChildren().empty()) {
            Kiv::Particle* child = structure->GetChildren().back();
            structure->RemoveChild(child);
            delete child;
        }
    }
}

}  // namespace
