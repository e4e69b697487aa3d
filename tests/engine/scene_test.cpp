// The scene's least parts: the particle tree and FindByName, the scene graph, the render
// kernel's own graph and its cache manager, and the matrix inverse.
#include "engine/scene.h"

#include <gtest/gtest.h>

#include "engine/render_kernel.h"

namespace {

TEST(Particle, TreeAndFindByName) {
    Kiv::Particle root(Kiv::PString("root"));
    Kiv::Particle a(Kiv::PString("a"));
    Kiv::Particle b(Kiv::PString("b"));
    {
        Kiv::Particle shortLived(Kiv::PString("short"));
        root.AddChild(&a);
        a.AddChild(&b);
        root.AddChild(&shortLived);
        EXPECT_EQ(root.FindByName(Kiv::PString("short")), &shortLived);
    }
    EXPECT_EQ(root.GetChildren().size(), 1u);  // a destroyed child unlinks itself
    EXPECT_EQ(root.FindByName(Kiv::PString("b")), &b);
    EXPECT_EQ(root.FindByName(Kiv::PString("root")), &root);
    EXPECT_EQ(root.FindByName(Kiv::PString("c")), nullptr);
    root.AddChild(&b);  // moves b
    EXPECT_TRUE(a.GetChildren().empty());
    EXPECT_EQ(b.GetParent(), &root);
}

TEST(RenderKernel, OwnsItsManagersAndAGraph) {
    Kiv::RenderKernel kernel(nullptr, 8);
    ASSERT_NE(kernel.GetSceneGraph(), nullptr);
    Kiv::SceneGraph graph;
    Kiv::RenderKernel withGraph(&graph, 8);
    EXPECT_EQ(withGraph.GetSceneGraph(), &graph);
    EXPECT_EQ(kernel.GetMaterialManager()->GetTextureManager(), kernel.GetTextureManager());

    auto* first = new Kiv::AlphaBlendCache;
    auto* second = new Kiv::AlphaBlendCache;
    Kiv::RenderingCacheManager& caches = kernel.GetRenderingCacheManager();
    EXPECT_EQ(caches.FindCache(Kiv::AlphaBlendCache::AlphaBlendCacheID), nullptr);
    caches.AddCache(first);
    caches.AddCache(second);
    Kiv::RenderingCache* found = caches.FindCache(Kiv::AlphaBlendCache::AlphaBlendCacheID);
    EXPECT_EQ(found, first);
    EXPECT_EQ(first->ReferenceCountValue(), 3);  // creator, manager, finder
    found->ReleaseReference();
    first->ReleaseReference();
    second->ReleaseReference();
}

TEST(Matrix4, InverseAndRotation) {
    Kiv::Matrix4 m(std::array<float, 16>{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 2, 3, 4, 1});
    const Kiv::Matrix4 product = m * m.Inverse();
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_NEAR(product.At(row, column), row == column ? 1.0f : 0.0f, 1e-6f);
        }
    }
    const Kiv::Vector3 p = m.TransformPoint({1, 0, 0});
    EXPECT_EQ(p, (Kiv::Vector3{2, 4, 4}));
    EXPECT_EQ(m.TransformDirection({1, 0, 0}), (Kiv::Vector3{0, 1, 0}));
    const Kiv::Matrix4 r = m.RotationTransposed();
    EXPECT_EQ(r.At(0, 1), -1.0f);
    EXPECT_EQ(r.At(3, 0), 0.0f);
    EXPECT_EQ(r.At(3, 3), 1.0f);
    EXPECT_EQ(Kiv::Matrix4(std::array<float, 16>{}).Inverse(), Kiv::Matrix4());
}

}  // namespace
