// The data manager's scene part: the start-up record sets up the validation scene on its
// render kernel, the registration follows that kernel, and destroying the manager takes
// the scene's root out of the kernel's graph.
#include <gtest/gtest.h>

#include "content3d/program_plugins.h"
#include "engine/render_kernel.h"
#include "validation/darodi/data_manager.h"
#include "validation_test_support.h"

namespace {

using DAROdi::DataManager;

TEST(DataManagerScene, TheRecordSetsUpTheSceneAndTheRegistrationFollowsIt) {
    KivGetPlugins();
    validation_test::TempFolder folder;
    Kiv::RenderKernel kernel(nullptr, 8);
    DataManager::CreateInstance((folder.Root() + "/").c_str());
    DataManager& manager = DataManager::Instance();
    EXPECT_FALSE(manager.HasScene());
    SceneStartupRecord record;
    record.renderKernel = &kernel;
    EXPECT_TRUE(manager.InitScene(record));
    EXPECT_TRUE(manager.HasScene());
    EXPECT_EQ(currentRenderKernel, &kernel);
    ASSERT_EQ(kernel.GetSceneGraph()->GetScenes().size(), 1u);
    EXPECT_EQ(kernel.GetSceneGraph()->GetScenes()[0], manager.GetScene().GetRootParticle());

    DataManager::RegisterKodrinBumpVertexType();
    EXPECT_TRUE(DataManager::IsKodrinBumpVertexTypeRegistered());
    EXPECT_EQ(GetBumpVertexTypeRegistration().dummyChunkCount, 4);
    EXPECT_EQ(kernel.GetRenderingCacheManager().GetCaches()[0]->GetCacheId(), "AlphaBlendCache");
    DataManager::ReleaseKodrinBumpVertexType();
    EXPECT_FALSE(DataManager::IsKodrinBumpVertexTypeRegistered());

    DataManager::DestroyInstance();
    EXPECT_TRUE(kernel.GetSceneGraph()->GetScenes().empty());
    EXPECT_EQ(currentRenderKernel, nullptr);
}

}  // namespace
