// The validation scene: the root particle, the light and fog a camera brings, the kernel
// handed to mesh loading, and the registration of caches, fourteen dummy materials and
// four chunks, with the exact log lines of what fails and the release that allows a new
// registration. Also the debug viewport that exists from process start.
#include "content3d/materials/validation_scene.h"

#include <fstream>
#include <sstream>

#include "content3d/materials/render_singletons.h"
#include "engine/log.h"
#include "engine/material_plugin.h"
#include "engine/temp_folder.h"
#include "engine/texture.h"
#include "materials_test_support.h"

namespace {

class ValidationSceneTest : public MaterialsTest {
protected:
    ValidationSceneTest() {
        Kiv::Options options;
        options.ProcessRaw(("-LogFile=" + folder_.Path("log.txt")).c_str());
        Kiv::Log::Init(options);
        record_.renderKernel = &kernel_;
    }
    ~ValidationSceneTest() override {
        ReleaseKodrinBumpVertexType();
        Kiv::Log::Shutdown();
    }
    std::string LogText() const { return folder_.ReadFile("log.txt"); }

    // Takes a plug-in out of the registry while the test runs.
    void Withdraw(const char* name) {
        ASSERT_TRUE(Kiv::PluginBase::UnregisterPlugin(Kiv::kMaterialFamilyUId, Kiv::PString(name)));
        withdrawn_.push_back(name);
    }
    void TearDown() override {
        for (const char* name : withdrawn_) {
            Kiv::PluginBase::RegisterPlugin(new Kiv::OneTextureMaterialPlugin(Kiv::PString(name)));
        }
    }

    TempFolder folder_;
    SceneStartupRecord record_;
    std::vector<const char*> withdrawn_;
};

TEST_F(ValidationSceneTest, WithoutACameraOnlyTheRootIsMade) {
    {
        ValidationScene scene;
        EXPECT_TRUE(scene.Init(record_));
        EXPECT_EQ(currentRenderKernel, &kernel_);
        ASSERT_NE(scene.GetRootParticle(), nullptr);
        EXPECT_EQ(kernel_.GetSceneGraph()->GetScenes(), std::vector<Kiv::Particle*>{scene.GetRootParticle()});
        EXPECT_EQ(scene.GetLight(), nullptr);
        EXPECT_EQ(display_->GetFogMode(), 0);
        EXPECT_EQ(display_->GetFogDensity(), 0.0f);
    }
    EXPECT_TRUE(kernel_.GetSceneGraph()->GetScenes().empty());
    EXPECT_EQ(currentRenderKernel, nullptr);
}

TEST_F(ValidationSceneTest, ACameraBringsALightAndFog) {
    Kiv::Camera camera;
    Kiv::Matrix4 orientation;
    orientation.At(2, 2) = -1;
    camera.SetOrientation(orientation);
    record_.camera = &camera;
    ValidationScene scene;
    scene.Init(record_);
    EXPECT_EQ(camera.GetSceneRoot(), scene.GetRootParticle());
    const Kiv::ParallelLight* light = scene.GetLight();
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->GetParent(), scene.GetRootParticle());
    EXPECT_EQ(light->type, 3);
    EXPECT_EQ(light->range, 100000.0f);
    EXPECT_EQ(light->GetFlags() & 2u, 2u);
    EXPECT_EQ(light->GetColor(), (Kiv::Color{0, 0, 0, 1}));
    EXPECT_EQ(light->GetDirection(), (Kiv::Vector3{0, 0, -1}));
    EXPECT_EQ(light->ambient, (Kiv::Color{0.1f, 0.1f, 0.1f, 1}));
    EXPECT_EQ(light->diffuse, (Kiv::Color{0.7f, 0.7f, 0.7f, 1}));
    EXPECT_EQ(light->specular, (Kiv::Color{0.6f, 0.6f, 0.6f, 1}));
    EXPECT_EQ(display_->GetFogDensity(), 1e-18f);
    EXPECT_EQ(display_->GetFogMode(), 3);
}

TEST_F(ValidationSceneTest, RegistrationLoadsEveryDummyAndMakesFourChunks) {
    RegisterKodrinBumpVertexType(&kernel_);
    const BumpVertexTypeRegistration& registration = GetBumpVertexTypeRegistration();
    EXPECT_TRUE(registration.registered);
    EXPECT_EQ(LogText(), "");
    std::vector<std::string> caches;
    for (Kiv::RenderingCache* cache : kernel_.GetRenderingCacheManager().GetCaches()) {
        caches.push_back(cache->GetCacheId());
    }
    ASSERT_GE(caches.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(caches.begin(), caches.begin() + 3),
              (std::vector<std::string>{"AlphaBlendCache", "AlphaBlendCacheUnsorted", "UnsortedAlphaBlendCache"}));
    for (int i = 0; i < BumpVertexTypeRegistration::kDummyCount; ++i) {
        ASSERT_NE(registration.dummyMaterials[i], nullptr) << kDummyMaterialTypes[i];
        EXPECT_EQ(std::string("m.") + registration.dummyMaterials[i]->GetTypeName().Text(),
                  kDummyMaterialTypes[i]);
    }
    Kiv::Texture* shared = kernel_.GetTextureManager()->GetSharedTextures().GetTexture(0);
    for (int reflective : {12, 13}) {
        EXPECT_EQ(registration.dummyMaterials[reflective]->GetTexture(9), shared);
        EXPECT_EQ(registration.dummyMaterials[reflective]->GetTextureDefinition(9)->amount, 1.0f);
    }
    shared->ReleaseReference();
    ASSERT_EQ(registration.dummyChunkCount, 4);
    for (Kiv::GeometryChunk* chunk : registration.dummyChunks) {
        ASSERT_NE(chunk, nullptr);
        EXPECT_EQ(chunk->GetVertexCount(), 3);
        EXPECT_EQ(chunk->GetPrimitiveCount(), 1);
        EXPECT_EQ(chunk->GetIndexCount(), 3);
        EXPECT_EQ(chunk->GetFlags(), 0x04u);  // triangle list, skinned on the display
        EXPECT_EQ(chunk->GetHint().matricesPerChunk, 24);
        EXPECT_EQ(chunk->GetItemKinds(), (std::vector<int>{1, 4, 15, 9, 10}));
    }

    Kiv::Material* first = registration.dummyMaterials[0];
    RegisterKodrinBumpVertexType(&kernel_);  // once only
    EXPECT_EQ(registration.dummyMaterials[0], first);
    ReleaseKodrinBumpVertexType();
    EXPECT_FALSE(registration.registered);
    EXPECT_EQ(registration.dummyChunkCount, 0);
    EXPECT_EQ(registration.dummyMaterials[0], nullptr);
    EXPECT_EQ(registration.caches[0], nullptr);
    RegisterKodrinBumpVertexType(&kernel_);
    EXPECT_TRUE(registration.registered);
    EXPECT_EQ(registration.dummyChunkCount, 4);
}

TEST_F(ValidationSceneTest, AMissingEarlyDummyIsSkipped) {
    Withdraw("tbumpcoltex");
    RegisterKodrinBumpVertexType(&kernel_);
    EXPECT_EQ(LogText(), "DataManager::RegisterKodrinBumpVertexType> Unable to load 'm.tbumpcoltex'\n");
    const BumpVertexTypeRegistration& registration = GetBumpVertexTypeRegistration();
    for (int i = 0; i < BumpVertexTypeRegistration::kDummyCount; ++i) {
        EXPECT_EQ(registration.dummyMaterials[i] == nullptr, i == 1) << kDummyMaterialTypes[i];
    }
    EXPECT_EQ(registration.dummyChunkCount, 4);
}

TEST_F(ValidationSceneTest, AMissingLateDummyEndsTheRegistration) {
    Withdraw("onetex");
    RegisterKodrinBumpVertexType(&kernel_);
    EXPECT_EQ(LogText(), "DataManager::RegisterKodrinBumpVertexType> Unable to load 'm.onetex'\n");
    const BumpVertexTypeRegistration& registration = GetBumpVertexTypeRegistration();
    EXPECT_TRUE(registration.registered);
    for (int i = 0; i < BumpVertexTypeRegistration::kDummyCount; ++i) {
        EXPECT_EQ(registration.dummyMaterials[i] != nullptr, i < 10) << kDummyMaterialTypes[i];
    }
    EXPECT_EQ(registration.dummyChunkCount, 0);
    EXPECT_NE(registration.caches[2], nullptr);
}

TEST_F(ValidationSceneTest, NoSharedTextureNoChunks) {
    display_->SetTextureSurfaceFailure(true);
    RegisterKodrinBumpVertexType(&kernel_);
    EXPECT_EQ(LogText(), "DataManager::RegisterKodrinBumpVertexType> SharedTextureCollection failed\n");
    EXPECT_EQ(GetBumpVertexTypeRegistration().dummyChunkCount, 0);
}

class NotingViewport final : public QXDebugVp {
public:
    void DrawLineList(const Kiv::Vector3* points, int pointCount, int lineCount, uint32_t color) override {
        noted = {points[0], points[1]};
        counts = {pointCount, lineCount};
        this->color = color;
    }
    std::vector<Kiv::Vector3> noted;
    std::pair<int, int> counts;
    uint32_t color = 0;
};

TEST(QXDebugVp, ExistsFromStartAndDrawsALineAsAList) {
    EXPECT_EQ(QXDebugVp::Current(), &QXDebugVp::Instance());
    EXPECT_TRUE(QXDebugVp::Instance().IsEnabled());
    EXPECT_EQ(QXDebugVp::Instance().GetBufferedLineCount(), 0u);
    EXPECT_EQ(QXDebugVp::Instance().GetTableColor(3), 0u);
    {
        NotingViewport viewport;
        EXPECT_EQ(QXDebugVp::Current(), &viewport);
        viewport.DrawLine({1, 2, 3}, {4, 5, 6}, 0xFF00FF00u);
        EXPECT_EQ(viewport.noted, (std::vector<Kiv::Vector3>{{1, 2, 3}, {4, 5, 6}}));
        EXPECT_EQ(viewport.counts, (std::pair<int, int>{2, 2}));
        EXPECT_EQ(viewport.color, 0xFF00FF00u);
    }
}

}  // namespace
