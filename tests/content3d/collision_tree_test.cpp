// The collision tree and the overlapped worker: welding by exact position, rejected
// triangles, one leaf for 64 triangles, the median split with its odd/odd move, the
// 3-byte references, segments hitting the nearest triangle at the right distance, the
// mesh's tree through the worker, and a full queue that refuses requests.
#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "content3d/mesh/overlapped_resource.h"
#include "content3d/mesh/qx_axis_box_tree.h"
#include "mesh_test_support.h"

namespace {

using Kiv::QXAxisBoxTree;
using Kiv::Vector3;

// Triangles as their own geometry: id (chunk << 16 | 3t) is triangle t of the list.
class ListGeometry : public Kiv::QXAxisBoxTreeExternalGeometry {
public:
    bool GetTriangle(uint32_t id, std::array<Vector3, 3>& corners) const override {
        const size_t t = (id & 0xFFFF) / 3;
        if (t >= triangles.size()) return false;
        corners = triangles[t];
        return true;
    }
    void AddTo(QXAxisBoxTree& tree) const {
        for (size_t t = 0; t < triangles.size(); ++t) {
            tree.AddTriangle(triangles[t][0], triangles[t][1], triangles[t][2], static_cast<uint32_t>(3 * t));
        }
    }
    std::vector<std::array<Vector3, 3>> triangles;
};

// n small triangles along x, one per unit.
ListGeometry Row(int n) {
    ListGeometry g;
    for (int i = 0; i < n; ++i) {
        const float x = static_cast<float>(i);
        g.triangles.push_back({Vector3{x, 0, 0}, Vector3{x + 0.5f, 0, 0}, Vector3{x, 0.5f, 0}});
    }
    return g;
}

TEST(CollisionTreeTest, CornersWeldOnlyWhenExactlyEqualAndBadTrianglesAreRejected) {
    QXAxisBoxTree tree;
    ListGeometry none;
    tree.SetExternalGeometry(&none);
    tree.AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 0);
    tree.AddTriangle({1, 0, 0}, {0, 1, 0}, {-0.0f, 0, 0}, 3);  // -0 is 0
    EXPECT_EQ(tree.GetWeldedVertexCount(), 3u);
    tree.AddTriangle({1, 0, 0}, {0, 1, 0}, {std::nextafter(1.0f, 2.0f), 1, 0}, 6);
    EXPECT_EQ(tree.GetWeldedVertexCount(), 4u);

    tree.AddTriangle({0, 0, 0}, {0, 0, 0}, {0, 1, 0}, 9);              // two equal corners
    tree.AddTriangle({0, 0, 0}, {1, 1, 1}, {2, 2, 2}, 12);             // on one line
    tree.AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 512u << 16);     // chunk 512
    tree.AddTriangle({0, 0, 0}, {1, 0, 0}, {0, NAN, 0}, 15);           // not a number
    EXPECT_EQ(tree.GetRejectedCount(), 4u);
    EXPECT_EQ(tree.GetBuildTriangleCount(), 3u);
    tree.AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 511u << 16);     // chunk 511 is fine
    EXPECT_EQ(tree.GetBuildTriangleCount(), 4u);
}

TEST(CollisionTreeTest, SixtyFourTrianglesMakeOneLeafAndTheSplitKeepsHalvesEven) {
    const struct {
        int triangles;
        std::vector<uint32_t> leafCounts;
    } cases[] = {{64, {64}}, {65, {32, 33}}, {130, {64, 32, 34}}, {129, {64, 32, 33}}, {66, {32, 34}}};
    for (const auto& c : cases) {
        const ListGeometry g = Row(c.triangles);
        QXAxisBoxTree tree;
        tree.SetExternalGeometry(&g);
        g.AddTo(tree);
        ASSERT_TRUE(tree.Build());
        std::vector<uint32_t> leaves;
        for (const QXAxisBoxTree::Node& node : tree.GetNodes()) {
            if (QXAxisBoxTree::IsLeaf(node)) leaves.push_back(node.words[1]);
        }
        EXPECT_EQ(leaves, c.leafCounts) << c.triangles;
        EXPECT_EQ(tree.GetReferences().size(), 3u * c.triangles);
    }
    QXAxisBoxTree empty;
    EXPECT_FALSE(empty.Build());
}

TEST(CollisionTreeTest, ReferencesPackTheTriangleNumberAndChunkInThreeBytes) {
    ListGeometry g;
    QXAxisBoxTree tree;
    tree.SetExternalGeometry(&g);
    tree.AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 301u << 16 | 3 * 300);
    ASSERT_TRUE(tree.Build());
    // t = 300 = 0x12C, c = 301: byte 0 = 0x2C, byte 1 = 1 << 7 | 0x01, byte 2 = 150.
    EXPECT_EQ(tree.GetReferences(), (std::vector<uint8_t>{0x2C, 0x81, 150}));
    EXPECT_EQ(tree.GetNodes()[0].words[0], 0xFFFFFFFFu);  // the complement of start 0
}

TEST(CollisionTreeTest, ASegmentFindsTheNearestTriangleAtItsDistance) {
    ListGeometry g = Row(200);
    g.triangles.push_back({Vector3{0, 0, 1}, Vector3{1, 0, 1}, Vector3{0, 1, 1}});  // above triangle 0
    QXAxisBoxTree tree;
    tree.SetExternalGeometry(&g);
    g.AddTo(tree);
    ASSERT_TRUE(tree.Build());
    Kiv::QXHit hit;
    ASSERT_TRUE(tree.IntersectSegment({0.1f, 0.1f, 3}, {0.1f, 0.1f, -3}, hit));
    EXPECT_NEAR(hit.distance, 2.0f, 1e-5f);
    EXPECT_NEAR(hit.point.z, 1.0f, 1e-5f);
    EXPECT_EQ(hit.triangleId, 3 * 200);
    EXPECT_EQ(hit.chunk, 0);
    EXPECT_NEAR(std::fabs(hit.normal.z), 1.0f, 1e-5f);

    ASSERT_TRUE(tree.IntersectSegment({150.1f, 0.1f, -1}, {150.1f, 0.1f, 1}, hit));
    EXPECT_NEAR(hit.distance, 1.0f, 1e-5f);
    EXPECT_EQ(hit.triangleId, 3 * 150);

    const struct {
        Vector3 start, end;
    } misses[] = {{{150.4f, 0.4f, 1}, {150.4f, 0.4f, -1}},  // beside the triangle's slanted edge
                  {{0.1f, 0.1f, 3}, {0.1f, 0.1f, 1.5f}},    // stops short
                  {{-5, -5, 0.5f}, {-4, -4, 0.5f}}};
    for (const auto& m : misses) {
        EXPECT_FALSE(tree.IntersectSegment(m.start, m.end, hit));
        EXPECT_EQ(hit.distance, -1.0f);
        EXPECT_EQ(hit.triangleId, -1);
        EXPECT_EQ(hit.chunk, -1);
    }
}

// A job that holds the worker until released.
class BlockingJob : public Kiv::OverlappedResource {
public:
    bool Run() override {
        std::unique_lock<std::mutex> hold(lock);
        started = true;
        changed.notify_all();
        changed.wait(hold, [&] { return released; });
        return true;
    }
    void Complete(bool) override {}
    void WaitStarted() {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [&] { return started; });
    }
    void Release() {
        const std::lock_guard<std::mutex> hold(lock);
        released = true;
        changed.notify_all();
    }
    std::mutex lock;
    std::condition_variable changed;
    bool started = false, released = false;
};

class CountingJob : public Kiv::OverlappedResource {
public:
    bool Run() override {
        ++runs;
        return succeed;
    }
    void Complete(bool success) override { completions += success ? 1 : 100; }
    int runs = 0, completions = 0;
    bool succeed = true;
};

class OverlappedWorkerTest : public MeshTest {
protected:
    ~OverlappedWorkerTest() override { Kiv::OverlappedResourceSystem::Destroy(); }
    Kiv::OverlappedResourceSystem* Start() {
        return Kiv::OverlappedResourceSystem::Create([this] { return now += 1.0; });
    }
    double now = 0;
};

TEST_F(OverlappedWorkerTest, APollRunsAQueuedJobItselfAndCompletesItOnce) {
    Kiv::OverlappedResourceSystem* system = Start();
    BlockingJob blocker;
    ASSERT_TRUE(system->Queue(blocker));
    blocker.WaitStarted();
    CountingJob good, bad;
    bad.succeed = false;
    ASSERT_TRUE(system->Queue(good));
    ASSERT_TRUE(system->Queue(bad));
    EXPECT_FALSE(system->Queue(good));  // already queued
    EXPECT_TRUE(system->Poll(good));
    EXPECT_EQ(good.GetState(), Kiv::OverlappedResource::kCompleted);
    EXPECT_TRUE(system->Poll(good));
    EXPECT_EQ(good.runs, 1);
    EXPECT_EQ(good.completions, 1);
    EXPECT_FALSE(system->Poll(bad));
    EXPECT_EQ(bad.GetState(), Kiv::OverlappedResource::kIdle);
    blocker.Release();
    EXPECT_TRUE(system->Poll(blocker));  // waits for the worker's run, then completes
}

TEST_F(OverlappedWorkerTest, TheWorkerRunsTheOldestJobFirst) {
    Kiv::OverlappedResourceSystem* system = Start();
    BlockingJob blocker;
    ASSERT_TRUE(system->Queue(blocker));
    blocker.WaitStarted();
    std::vector<int> order;
    std::mutex orderLock;
    struct OrderedJob : Kiv::OverlappedResource {
        OrderedJob(int id, std::vector<int>& order, std::mutex& lock) : id(id), order(order), lock(lock) {}
        bool Run() override {
            const std::lock_guard<std::mutex> hold(lock);
            order.push_back(id);
            return true;
        }
        void Complete(bool) override {}
        int id;
        std::vector<int>& order;
        std::mutex& lock;
    };
    std::vector<std::unique_ptr<OrderedJob>> jobs;
    for (int id = 0; id < 5; ++id) {
        jobs.push_back(std::make_unique<OrderedJob>(id, order, orderLock));
        ASSERT_TRUE(system->Queue(*jobs.back()));
    }
    blocker.Release();
    for (int id = 4; id >= 0; --id) {
        while (jobs[static_cast<size_t>(id)]->GetState() == Kiv::OverlappedResource::kQueued) std::this_thread::yield();
        EXPECT_TRUE(system->Poll(*jobs[static_cast<size_t>(id)]));
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    system->Poll(blocker);
}

TEST_F(OverlappedWorkerTest, AFullQueueRefusesAndCancelledJobsNeverRun) {
    Kiv::OverlappedResourceSystem* system = Start();
    BlockingJob blocker;
    ASSERT_TRUE(system->Queue(blocker));
    blocker.WaitStarted();
    std::vector<CountingJob> jobs(Kiv::OverlappedResourceSystem::kMaxQueued + 1);
    for (size_t i = 0; i < Kiv::OverlappedResourceSystem::kMaxQueued; ++i) ASSERT_TRUE(system->Queue(jobs[i]));
    EXPECT_FALSE(system->Queue(jobs.back()));

    // A mesh asking for its tree now gets none, and no request is left to poll forever.
    ASSERT_EQ(LoadIm(OneTriangle()), Kiv::RES_OK);
    EXPECT_EQ(definition->GetCollisionTree(), nullptr);
    system->Cancel(jobs[0]);
    EXPECT_EQ(jobs[0].GetState(), Kiv::OverlappedResource::kCancelled);
    EXPECT_EQ(jobs[0].runs, 0);
    ASSERT_NE(definition->GetCollisionTree(), nullptr);  // room again: asked, run by the poll
    blocker.Release();
    system->Poll(blocker);
    Kiv::OverlappedResourceSystem::Destroy();
}

TEST_F(OverlappedWorkerTest, AMeshTreeComesOnlyFromAWorker) {
    ASSERT_EQ(LoadIm(OneTriangle()), Kiv::RES_OK);
    EXPECT_EQ(definition->GetCollisionTree(), nullptr);  // no worker: no request, no tree
    Start();
    Kiv::QXAxisBoxTree* tree = definition->GetCollisionTree();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(definition->GetCollisionTree(), tree);
    Kiv::QXHit hit;
    ASSERT_TRUE(tree->IntersectSegment({0.25f, 0.25f, 1}, {0.25f, 0.25f, -1}, hit));
    EXPECT_NEAR(hit.distance, 1.0f, 1e-5f);
    EXPECT_EQ(hit.triangleId, 0);
}

}  // namespace
