// The mesh-file check on content3d's meshes: ".im", ".lm" and "lm.txt" files written by the
// mesh tests' writers, loaded through the engine start-up installs (as MeshData objects
// whose jobs run the checks' steps), with their attachment points, LOD levels, textures and
// animations, and the validation scene's shown mesh.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../content3d/lm_file_writer.h"
#include "content3d/mesh/lod_mesh_data.h"
#include "content3d/mesh/mesh_data.h"
#include "content3d/program_plugins.h"
#include "engine/render_kernel.h"
#include "engine/resource_system.h"
#include "validation/darodi/checked_mesh.h"
#include "validation/darodi/container.h"
#include "validation/darodi/content3d_mesh_engine.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/mesh_check.h"
#include "validation_test_support.h"

namespace {

using Strings = std::vector<std::string>;

// A mesh of n triangles and one more chunk for each texture given (its material names it),
// with attachment points and, when skinned, a two-bone skeleton.
std::string Mesh(int triangles, const Strings& textures = {}, const Strings& attachments = {},
                 bool skinned = false) {
    meshtest::MeshSpec spec;
    spec.chunks.push_back(meshtest::Triangles(triangles));
    for (const std::string& texture : textures) {
        spec.chunks.push_back(meshtest::Triangles(1, texture));
        spec.chunks.back().matl.textures.push_back({0, texture, 1});
    }
    if (!attachments.empty()) {
        spec.attachments.emplace();
        for (const std::string& name : attachments) spec.attachments->push_back({name, {}});
    }
    if (skinned)
        spec.influences = std::vector<meshtest::Influence>{{"root", "", {}, {}},
                                                          {"arm", "root", {1, 0, 0}, {}}};
    return meshtest::WriteMesh(spec);
}

// A LOD mesh whose levels have these face counts.
std::string Lod(const std::vector<int>& levelFaces) {
    meshtest::LmSpec spec;
    float distance = 0;
    for (int faces : levelFaces) {
        meshtest::LmLevel level = meshtest::TriangleLevel(distance);
        level.chunks[0].geom = meshtest::Triangles(faces).geom;
        spec.levels.push_back(level);
        distance += 50;
    }
    return meshtest::WriteLm(spec);
}

class Content3DMeshCheckTest : public ::testing::Test {
  protected:
    Content3DMeshCheckTest() {
        KivGetPlugins();
        DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
        SceneStartupRecord scene;
        scene.resourceSystem = &system_;
        scene.renderKernel = &kernel_;
        manager.InitScene(scene);
        manager.SetAssetLocation("local", "box");
        manager.buildStamp = 3.301f;
        DAROdi::SetMeshCheckEngine(&DAROdi::GetContent3DMeshEngine());
        ACSChunkRef config;
        config.SetNamedTagString("kind", "scenery");
        root_.SetConfig(config);
        child_.parent = &root_;
    }
    ~Content3DMeshCheckTest() override {
        DAROdi::DataManager::Instance().PurgeLoaded();
        DAROdi::SetMeshCheckEngine(nullptr);
    }

    void Write(const std::string& file, const std::string& bytes) const {
        install_.Folder().Write("UserData/local/box/" + file, bytes);
    }
    bool Check(const char* file, DAROdi::Container& owner) {
        std::unique_ptr<DAROdi::MeshObject> mesh =
            DAROdi::CheckMeshPerformance(Kiv::File::Path(file), owner);
        if (!mesh) return false;
        DAROdi::DataManager::Instance().AddContainerMesh(&owner, std::move(mesh));
        return true;
    }
    DAROdi::CheckedMesh* Current() const {
        return dynamic_cast<DAROdi::CheckedMesh*>(DAROdi::DataManager::Instance().GetCurrentMesh());
    }
    // "E:" or "W:" and the text of each finding.
    Strings Findings() const {
        Strings out;
        for (const DAROdi::ErrorEntry& entry : DAROdi::ErrorHandler::Instance()->GetEntries())
            out.push_back((entry.severity == DAROdi::Severity::kError ? "E:" : "W:") +
                          std::string(entry.text.View()));
        return out;
    }
    void Clear() const { DAROdi::ErrorHandler::Instance()->Clear(); }
    const std::vector<Kiv::Particle*>& SceneMeshes() const {
        return DAROdi::DataManager::Instance().GetScene().GetRootParticle()->GetChildren();
    }

    // The engine outlives the data manager's scene.
    Kiv::ResourceSystem system_;
    Kiv::RenderKernel kernel_{nullptr, 1.0f};
    validation_test::TestInstallation install_{std::string(KODRIN_SOURCE) + "/data/VAVIrov", validation_test::kMeshTexts};
    DAROdi::Container root_;
    DAROdi::Container child_;
};

TEST_F(Content3DMeshCheckTest, AMeshLoadsWithItsAttachmentPointsAndIsShownInTheScene) {
    Write("body.im", Mesh(2, {}, {"parts/a.light0", "a.door"}));
    Write("cab.im", Mesh(1));
    ASSERT_TRUE(Check("box/body.im", child_));
    EXPECT_EQ(Current()->GetAttachmentNames(), (std::vector<Kiv::PString>{"a.light0", "a.door"}));
    EXPECT_TRUE(Current()->HasParticle("a.door"));
    EXPECT_FALSE(Current()->HasParticle("a.window"));
    ASSERT_EQ(SceneMeshes().size(), 1u);
    EXPECT_EQ(SceneMeshes()[0]->GetFlags() & 2u, 2u);
    // The scene object is the MeshData whose load job ran the check.
    const auto* particle = dynamic_cast<const Kiv::MeshData*>(SceneMeshes()[0]);
    ASSERT_NE(particle, nullptr);
    EXPECT_EQ(particle->meshName.View(), "box\\body.im");
    EXPECT_EQ(particle->reportContext, &child_);
    EXPECT_NE(particle->GetDefinition(), nullptr);
    EXPECT_EQ(particle->GetAttachmentCount(), 2u);
    // A second mesh for the container replaces the first, in the scene too.
    ASSERT_TRUE(Check("box/cab.im", child_));
    ASSERT_EQ(SceneMeshes().size(), 1u);
    EXPECT_EQ(SceneMeshes()[0]->GetFlags() & 2u, 2u);
    EXPECT_EQ(std::string(Current()->GetFilePath().View()), "box\\cab.im");
    EXPECT_EQ(Findings(), Strings{});

    // A file without an extension, and a texture description, load nothing.
    Write("body", Mesh(1));
    Write("body.texture.txt", "Primary=body.png\n");
    EXPECT_FALSE(Check("box/body", child_));
    EXPECT_FALSE(Check("box/body.texture.txt", child_));
    EXPECT_FALSE(Check("box/missing.im", child_));
    EXPECT_EQ(Findings(), Strings{"E:load_mesh missing.im"});
}

TEST_F(Content3DMeshCheckTest, LODMeshesAreCheckedByTheirLastLevel) {
    const struct {
        std::vector<int> levels;
        bool child;
        const char* kind;
        Strings findings;
    } cases[] = {
        {{299}, true, "scenery",
         {"W:no_attachments body.lm", "W:single_lod body.lm", "W:low_poly body.lm"}},
        {{300}, true, "scenery", {"W:no_attachments body.lm", "W:single_lod body.lm"}},
        {{400, 299}, true, "scenery", {"W:no_attachments body.lm", "W:low_poly body.lm"}},
        {{299}, true, "bogey", {}},
        {{299}, false, "scenery", {}},
    };
    for (const auto& c : cases) {
        Clear();
        ACSChunkRef config;
        config.SetNamedTagString("kind", c.kind);
        root_.SetConfig(config);
        const std::string name = "body" + std::to_string(c.levels.size()) +
                                 std::to_string(c.levels.back()) + ".lm";
        Write(name, Lod(c.levels));
        ASSERT_TRUE(Check(("box/" + name).c_str(), c.child ? child_ : root_)) << name;
        Strings expected;
        for (std::string finding : c.findings)
            expected.push_back(finding.replace(finding.find("body.lm"), 7, name));
        EXPECT_EQ(Findings(), expected) << name << " " << c.kind;
        ASSERT_NE(Current()->GetInstance(), nullptr);
        EXPECT_EQ(Current()->GetInstance()->GetLevelCount(), static_cast<int32_t>(c.levels.size()));
    }
}

TEST_F(Content3DMeshCheckTest, AHandWrittenLODMeshLoadsThroughItsTextForm) {
    Write("part.im", Mesh(10));
    Write("body.lm.txt", "version 1\nmesh 0 {\n  name part.im\n}\n");
    ASSERT_TRUE(Check("box/body.lm.txt", child_));
    ASSERT_TRUE(Current()->IsLOD());
    EXPECT_EQ(Current()->GetInstance()->GetLevelCount(), 1);
    EXPECT_EQ(Current()->GetInstance()->GetFaceCount(), 10);
    EXPECT_EQ(Findings(), Strings{});
    // The scene object is the LODMeshData whose load job ran the check, with its LOD
    // instance.
    const auto* particle = dynamic_cast<const Kiv::LODMeshData*>(SceneMeshes().at(0));
    ASSERT_NE(particle, nullptr);
    EXPECT_NE(particle->lodInstance, nullptr);
    EXPECT_NE(particle->lodDefinition, nullptr);
    EXPECT_EQ(particle->reportContext, &child_);
}

TEST_F(Content3DMeshCheckTest, ProgressiveMeshesAreReportedByBuildAndStillLoaded) {
    meshtest::MeshSpec spec;
    spec.chunks.push_back(meshtest::Triangles(1));
    Write("old.pm", meshtest::WriteMesh(spec));
    DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    for (const auto& [stamp, finding] : {std::pair{2.891f, "W:unsupportedformat"},
                                         std::pair{2.901f, "E:unsupportedformat"}}) {
        Clear();
        manager.meshFailed = false;
        manager.buildStamp = stamp;
        EXPECT_FALSE(Check("box/old.pm", child_));
        EXPECT_TRUE(manager.meshFailed);
        EXPECT_EQ(Findings(), Strings{finding});
    }
}

TEST_F(Content3DMeshCheckTest, TexturesNamedByTheMaterialsAreLookedUp) {
    Write("wall.texture.txt", "Primary=Wall.png\r\nTile=st\r\n");
    Write("roof.texture.txt", "Primary=roof.png\r\nTile=st\r\n");
    Write("roof.png", "x");
    Write("body.im", Mesh(1, {"wall.texture", "roof.texture", "grass.tga"}));
    ASSERT_TRUE(Check("box/body.im", child_));
    // A texture that did not load is named below the asset folder; a description whose
    // primary image is missing is named less two folders, keeping its file name.
    EXPECT_EQ(Findings(), (Strings{"E:failedmaterial grass.tga body.im",
                                   "E:load_texture Wall.png wall.texture.txt body.im"}));
}

TEST_F(Content3DMeshCheckTest, AnimationsNeedASkeletonAndTheirFile) {
    DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    EXPECT_FALSE(Check("box/walk.kin", child_));
    EXPECT_FALSE(Check("box/run.kin", child_));
    EXPECT_EQ(Findings(), Strings{"E:animationfailed box\\walk.kin"});
    Clear();
    manager.meshFailed = false;
    manager.aliasFlag = true;
    EXPECT_FALSE(Check("box/walk.kin", child_));
    EXPECT_FALSE(Check("box/missing.im", child_));
    EXPECT_EQ(Findings(), Strings{});
    manager.aliasFlag = false;
    manager.meshFailed = false;

    Write("plain.im", Mesh(1));
    Write("skinned.im", Mesh(1, {}, {}, true));
    Write("walk.kin", "k");
    ASSERT_TRUE(Check("box/plain.im", child_));
    EXPECT_FALSE(Check("box/walk.kin", child_));
    ASSERT_TRUE(Check("box/skinned.im", child_));
    EXPECT_FALSE(Check("box/Walk.kin", child_));
    EXPECT_FALSE(Check("box/run.kin", child_));
    EXPECT_EQ(Findings(), (Strings{"E:animationfailedskeleton box\\walk.kin",
                                   "E:animationfailedres box\\run.kin"}));
    EXPECT_EQ(Current()->GetAnimationNames(), std::vector<Kiv::PString>{"box\\walk.kin"});
    // The mesh object's animation jobs ran the animation steps.
    const auto* particle = dynamic_cast<const Kiv::MeshData*>(SceneMeshes().at(0));
    ASSERT_NE(particle, nullptr);
    EXPECT_EQ(particle->animationName.View(), "box\\run.kin");
    EXPECT_EQ(particle->GetAnimations(), std::vector<Kiv::PString>{"box\\walk.kin"});
}

} // namespace
