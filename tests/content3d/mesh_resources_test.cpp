// The ".im" and ".pm" resource types: found by extension, nothing loaded without a render
// kernel, a failed load leaving no definition, the index-buffer mode each type gives, load
// completion making display buffers, the data size, the result-code table, waiting for the
// materials' textures, and float blend weights.
#include <gtest/gtest.h>

#include "mesh_test_support.h"
#include "texture_test_files.h"

namespace {

class MeshResourcesTest : public MeshTest {};

TEST_F(MeshResourcesTest, EachExtensionReachesItsResourceAndLoadsWithAKernelOnly) {
    const std::string bytes = meshtest::WriteMesh(OneTriangle());
    temp.WriteFile("a.im", bytes);
    temp.WriteFile("a.pm", bytes);
    Kiv::Resource* im = database.Get(Kiv::PString("a.im"));
    Kiv::Resource* pm = database.Get(Kiv::PString("a.pm"));
    held = {im, pm};
    ASSERT_NE(dynamic_cast<Kiv::KodrinIndexedMeshResource*>(im), nullptr);
    ASSERT_NE(dynamic_cast<Kiv::KodrinProgressiveMeshResource*>(pm), nullptr);
    EXPECT_FALSE(im->Lock());  // no render kernel yet; the failure is remembered
    EXPECT_EQ(dynamic_cast<Kiv::KodrinGeometryBaseResource*>(im)->GetDefinition(), nullptr);

    auto* progressive = dynamic_cast<Kiv::KodrinProgressiveMeshResource*>(pm);
    progressive->SetRenderKernel(&kernel);
    ASSERT_TRUE(progressive->Lock());
    progressive->Unlock();
    EXPECT_NE(dynamic_cast<Kiv::KodrinProgressiveMeshDefinition*>(progressive->GetDefinition()), nullptr);
    EXPECT_EQ(progressive->CalculateDataSize(), 252u + 3 * 32 + 6);
    EXPECT_EQ(progressive->IsAllLoaded(), Kiv::Resource::kAllLoaded);
    EXPECT_TRUE(progressive->LoadAll());
}

TEST_F(MeshResourcesTest, ProgressiveMeshesDefaultToDynamicIndicesAndIndexedOnesDoNot) {
    const std::string bytes = meshtest::WriteMesh(OneTriangle());
    const struct {
        const char* name;
        bool setIndexMode;
        int expected;
    } cases[] = {{"b.im", false, 2}, {"b.pm", false, 1}, {"c.pm", true, 2}, {"c.im", true, 2}};
    for (const auto& c : cases) {
        Kiv::KodrinGeometryBaseResource* resource = Resource(c.name, bytes);
        ASSERT_NE(resource, nullptr) << c.name;
        if (c.setIndexMode) resource->GetLoaderSettings().dynamicIndex = {2, 1};
        ASSERT_TRUE(resource->Lock()) << c.name;
        resource->Unlock();
        EXPECT_EQ(resource->GetDefinition()->GetChunk(0)->GetHint().indexBufferMode, c.expected) << c.name;
    }
}

TEST_F(MeshResourcesTest, AFailedLoadDeletesTheDefinitionAndRefusedDisplayBuffersAreIgnored) {
    meshtest::MeshSpec damaged = OneTriangle();
    damaged.trailing = "XXXX";
    Kiv::KodrinGeometryBaseResource* bad = Resource("bad.im", meshtest::WriteMesh(damaged));
    EXPECT_FALSE(bad->Lock());
    EXPECT_EQ(bad->GetDefinition(), nullptr);
    EXPECT_EQ(bad->CalculateDataSize(), 0u);

    kernel.GetDisplay()->SetChunkBufferFailure(true);  // refused buffers do not fail the load
    Kiv::KodrinGeometryBaseResource* good = Resource("good.im", meshtest::WriteMesh(OneTriangle()));
    ASSERT_TRUE(good->Lock());
    good->Unlock();
    EXPECT_TRUE(good->GetDefinition()->GetMaterialEntries().empty());  // textures assigned
    EXPECT_EQ(good->GetDefinition()->PrepareChunks(kernel.GetDisplay()), Kiv::RES_FILE_DATA_ERROR);
    kernel.GetDisplay()->SetChunkBufferFailure(false);
    EXPECT_EQ(good->GetDefinition()->PrepareChunks(kernel.GetDisplay()), Kiv::RES_OK);
}

TEST(MeshLoadResultTest, TheTableHoldsNameAndTextInCodeOrder) {
    EXPECT_STREQ(Kiv::kMeshLoadResultTexts[Kiv::RES_FILE_FORMAT_ERROR - 1].name, "RES_FILE_FORMAT_ERROR");
    EXPECT_STREQ(Kiv::MeshLoadResultTextOf(Kiv::RES_NO_MATERIAL_MANAGER),
                 "Unable to find material manager in Render Kernel");
    EXPECT_STREQ(Kiv::MeshLoadResultTextOf(Kiv::RES_FILE_DATA_ERROR), "File contains invalid data");
    EXPECT_EQ(Kiv::kMeshLoadResultTexts[9].name, nullptr);
    EXPECT_EQ(Kiv::MeshLoadResultTextOf(0), nullptr);
    EXPECT_EQ(Kiv::MeshLoadResultTextOf(10), nullptr);
}


TEST_F(MeshResourcesTest, AllLoadedWaitsForTheMaterialsTexturesAndReportsTheirFailure) {
    const struct {
        const char* what;
        const char* description;
        int before;
        bool loadAll;
        int after;
    } cases[] = {
        {"sound texture", "Primary=skin.tga\n", Kiv::Resource::kAllPending, true, Kiv::Resource::kAllLoaded},
        {"texture of a missing image", "Primary=absent.tga\n", Kiv::Resource::kAllPending, false,
         Kiv::Resource::kAllFailed},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string folder = "t" + std::to_string(n++);
        temp.MakeFolder(folder);
        temp.WriteFile(folder + "/skin.tga", texture_test::Tga(4, 4, 128));
        temp.WriteFile(folder + "/skin.texture.txt", c.description);
        meshtest::MeshSpec spec = OneTriangle();
        spec.chunks[0].matl.textures = {{0, "skin.texture", 1}};
        Kiv::KodrinGeometryBaseResource* resource = Resource(folder + "/m.im", meshtest::WriteMesh(spec));
        ASSERT_TRUE(resource->Lock()) << c.what;
        resource->Unlock();
        EXPECT_TRUE(resource->GetDefinition()->GetFailedTextures().empty()) << c.what;
        EXPECT_EQ(resource->IsAllLoaded(), c.before) << c.what;
        EXPECT_EQ(resource->LoadAll(), c.loadAll) << c.what;
        EXPECT_EQ(resource->IsAllLoaded(), c.after) << c.what;
    }
}

TEST_F(MeshResourcesTest, FloatWeightsStartAsOneFullWeightOnTheFirstMatrix) {
    kernel.GetDisplay()->SetCapability(29, true);
    meshtest::MeshSpec spec = OneTriangle();
    spec.maxWeights = 2;
    spec.maxBones = 2;
    spec.chunks[0].geom.weightMode = 2;
    Kiv::KodrinGeometryBaseResource* resource = Resource("float.im", meshtest::WriteMesh(spec));
    resource->GetLoaderSettings().hardwareAnimationFloatPrecision = {1, 1};
    ASSERT_TRUE(resource->Lock());
    resource->Unlock();
    Kiv::GeometryChunk* chunk = resource->GetDefinition()->GetChunk(0);
    const float* weights = chunk->GetFloatItem(Kiv::kItemWeights4);
    ASSERT_NE(weights, nullptr);
    EXPECT_EQ((std::vector<float>(weights + 4, weights + 8)), (std::vector<float>{1, 0, 0, 0}));
    EXPECT_EQ(chunk->GetWordItem(Kiv::kItemPackedIndices)[1], 0u);
    EXPECT_FALSE(chunk->HasItem(Kiv::kItemPackedWeights));
}

}  // namespace
