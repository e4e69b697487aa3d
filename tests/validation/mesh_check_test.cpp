// The mesh-file check on a fake mesh engine: which files load and how, the shown mesh, the
// LOD performance warnings, ".pm" and ".kin" files, and the findings of the load steps,
// the texture checks and the animations, each with its subject.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_mesh_engine.h"
#include "validation/darodi/checked_mesh.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/mesh_check.h"
#include "validation_test_support.h"

namespace {

using Strings = std::vector<std::string>;
using validation_test::FakeMesh;

class MeshCheckTest : public ::testing::Test {
  protected:
    MeshCheckTest() : install_(std::string(KODRIN_SOURCE) + "/data/VAVIrov", validation_test::kMeshTexts) {
        DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
        manager.SetAssetLocation("local", "box");
        manager.buildStamp = 3.301f;
        SetKind("scenery");
        child_.parent = &root_;
    }
    ~MeshCheckTest() override { DAROdi::DataManager::Instance().PurgeLoaded(); }

    void SetKind(const char* kind) {
        ACSChunkRef config;
        config.SetNamedTagString("kind", kind);
        root_.SetConfig(config);
    }
    // Checks the file for owner and keeps a loaded mesh as the tag check does; true when
    // a mesh came back.
    bool Check(const char* file, DAROdi::Container& owner) {
        std::unique_ptr<DAROdi::MeshObject> mesh =
            DAROdi::CheckMeshPerformance(Kiv::File::Path(file), owner);
        if (!mesh) return false;
        DAROdi::DataManager::Instance().AddContainerMesh(&owner, std::move(mesh));
        return true;
    }
    // "E:" or "W:", the text, and "@root", "@child" or "@-" for the subject.
    Strings Findings() const {
        Strings out;
        for (const DAROdi::ErrorEntry& entry : DAROdi::ErrorHandler::Instance()->GetEntries()) {
            std::string line = entry.severity == DAROdi::Severity::kError ? "E:" : "W:";
            line += entry.text.View();
            line += entry.container == &root_ ? "@root" : entry.container == &child_ ? "@child" : "@-";
            out.push_back(line);
        }
        return out;
    }
    void Clear() { DAROdi::ErrorHandler::Instance()->Clear(); }
    FakeMesh& Mesh(const std::string& name) { return engine_.meshes[name]; }

    validation_test::TestInstallation install_;
    validation_test::FakeMeshEngine engine_;
    DAROdi::Container root_;
    DAROdi::Container child_;
};

TEST_F(MeshCheckTest, WithoutAnEngineNothingLoadsAndNothingIsReported) {
    DAROdi::SetMeshCheckEngine(nullptr);
    Mesh("box\\body.im");
    EXPECT_FALSE(Check("box/body.im", child_));
    EXPECT_FALSE(Check("box/anim.kin", child_));
    EXPECT_FALSE(Check("box/body.pm", child_));
    EXPECT_EQ(Findings(), Strings{});
    EXPECT_FALSE(DAROdi::DataManager::Instance().meshFailed);
}

TEST_F(MeshCheckTest, TheExtensionChoosesTheLoad) {
    Mesh("box\\body.im");
    Mesh("box\\body.lm").levelFaces = {10};
    Mesh("box\\body");
    const struct {
        const char* file;
        bool loads;
        bool lod;
        const char* requested; // the resource asked for, or nothing
    } cases[] = {
        {"", false, false, ""},
        {"box/body", false, false, ""},
        {"box/body.im", true, false, "box\\body.im"},
        {"box/BODY.IM", true, false, "box\\body.im"},
        {"box/body.lm.txt", true, true, "box\\body.lm"},
        {"box/body.texture.txt", false, false, ""},
        {"box/body.xyz", false, false, ""},
    };
    for (const auto& c : cases) {
        engine_.requested.clear();
        EXPECT_EQ(Check(c.file, child_), c.loads) << c.file;
        EXPECT_EQ(engine_.requested, c.requested[0] ? Strings{c.requested} : Strings{}) << c.file;
        if (c.loads) {
            auto* mesh = dynamic_cast<DAROdi::CheckedMesh*>(
                DAROdi::DataManager::Instance().FindContainerMesh(&child_));
            ASSERT_NE(mesh, nullptr) << c.file;
            EXPECT_EQ(mesh->IsLOD(), c.lod) << c.file;
        }
    }
    // A LOD mesh named through its ".txt" form gets no performance check.
    EXPECT_EQ(Findings(), Strings{});
}

TEST_F(MeshCheckTest, LODMeshesOfChildContainersAreCheckedForPerformance) {
    const struct {
        bool child;
        const char* kind;
        std::vector<int> levels;
        bool attachments;
        Strings findings;
    } cases[] = {
        {true, "scenery", {299}, false,
         {"W:no_attachments body.lm@child", "W:single_lod body.lm@child",
          "W:low_poly body.lm@child"}},
        {true, "scenery", {300}, false,
         {"W:no_attachments body.lm@child", "W:single_lod body.lm@child"}},
        {true, "scenery", {2000, 299}, true, {"W:low_poly body.lm@child"}},
        {true, "scenery", {2000, 300}, true, {}},
        {true, "bogey", {299}, false, {}},
        {true, "Bogey", {299}, false,
         {"W:no_attachments body.lm@child", "W:single_lod body.lm@child",
          "W:low_poly body.lm@child"}},
        {false, "scenery", {299}, false, {}},
    };
    for (const auto& c : cases) {
        Clear();
        SetKind(c.kind);
        FakeMesh& mesh = Mesh("box\\body.lm");
        mesh.levelFaces = c.levels;
        mesh.attachments = c.attachments ? Strings{"a.light0"} : Strings{};
        EXPECT_TRUE(Check("box/body.lm", c.child ? child_ : root_));
        EXPECT_EQ(Findings(), c.findings) << c.kind << " " << c.levels.size();
    }
}

TEST_F(MeshCheckTest, ASecondMeshForAContainerReplacesTheFirstAndIsShownAlone) {
    Mesh("box\\a.im");
    Mesh("box\\b.im");
    ASSERT_TRUE(Check("box/a.im", child_));
    ASSERT_TRUE(Check("box/b.im", child_));
    EXPECT_EQ(engine_.log.liveInstances, 1);
    EXPECT_EQ(engine_.log.shown, (Strings{"box\\a.im:1", "box\\a.im:0", "box\\b.im:1"}));
    EXPECT_EQ(engine_.log.addedToScene, (Strings{"box\\a.im", "box\\b.im"}));
    const DAROdi::MeshObject* kept = DAROdi::DataManager::Instance().FindContainerMesh(&child_);
    EXPECT_EQ(kept, DAROdi::DataManager::Instance().GetCurrentMesh());
    EXPECT_EQ(std::string(kept->GetFilePath().View()), "box\\b.im");
    // A failed load leaves the kept mesh alone.
    EXPECT_FALSE(Check("box/missing.im", child_));
    EXPECT_EQ(DAROdi::DataManager::Instance().FindContainerMesh(&child_), kept);
}

TEST_F(MeshCheckTest, MissingAndBrokenMeshesAreReportedUnlessTheAssetIsAnAlias) {
    Mesh("box\\locked.im").lockResult = 1;
    Mesh("box\\empty.im").makesInstance = false;
    Mesh("box\\old.im").kind = DAROdi::MeshResourceKind::kProgressive;
    Mesh("box\\sound.im").kind = DAROdi::MeshResourceKind::kOther;
    const struct {
        const char* file;
        bool alias;
        bool loads;
        Strings findings;
    } cases[] = {
        {"box/sub/missing.im", false, false, {"E:load_mesh sub\\missing.im@child"}},
        {"box/sub/missing.lm", false, false, {"E:load_mesh sub\\missing.lm@child"}},
        {"box/sub/missing.im", true, false, {}},
        {"box/sound.im", true, false, {"E:load_mesh sound.im@child"}},
        {"box/locked.im", false, false, {"E:initialise_mesh locked.im@child"}},
        {"box/empty.im", false, false, {"E:initialise_mesh empty.im@child"}},
        {"box/old.im", false, true, {}},
    };
    DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    for (const auto& c : cases) {
        Clear();
        manager.aliasFlag = c.alias;
        manager.meshFailed = false;
        EXPECT_EQ(Check(c.file, child_), c.loads) << c.file;
        EXPECT_EQ(manager.meshFailed, !c.loads) << c.file;
        EXPECT_EQ(Findings(), c.findings) << c.file;
    }
    manager.aliasFlag = false;
    EXPECT_EQ(engine_.log.liveResources, 0);
    // Without a context only a resource of another type is reported.
    Clear();
    DAROdi::CheckedMesh lone(false);
    EXPECT_FALSE(lone.Load("box\\missing.im", nullptr));
    EXPECT_FALSE(lone.Load("box\\sound.im", nullptr));
    EXPECT_EQ(Findings(), Strings{"E:load_mesh sound.im@-"});
}

TEST_F(MeshCheckTest, ProgressiveMeshFilesAreAnUnsupportedFormatByBuild) {
    Mesh("box\\body.pm");
    DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    const struct {
        float stamp;
        const char* finding;
    } cases[] = {{2.891f, "W:unsupportedformat@child"}, {2.901f, "E:unsupportedformat@child"}};
    for (const auto& c : cases) {
        Clear();
        manager.meshFailed = false;
        manager.buildStamp = c.stamp;
        EXPECT_FALSE(Check("box/body.pm", child_));
        EXPECT_TRUE(manager.meshFailed);
        EXPECT_EQ(Findings(), Strings{c.finding});
    }
    // The file is still loaded for its own findings, then let go.
    Clear();
    EXPECT_FALSE(Check("box/gone.pm", child_));
    EXPECT_EQ(Findings(), (Strings{"E:unsupportedformat@child", "E:load_mesh gone.pm@child"}));
    EXPECT_EQ(engine_.log.liveInstances, 0);
}

TEST_F(MeshCheckTest, AnimationsGoToTheMeshLoadedLast) {
    DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    EXPECT_FALSE(Check("box/walk.kin", child_));
    EXPECT_FALSE(Check("box/run.kin", child_));
    EXPECT_EQ(Findings(), Strings{"E:animationfailed box\\walk.kin@child"});
    EXPECT_TRUE(manager.meshFailed);

    Clear();
    manager.meshFailed = false;
    manager.aliasFlag = true;
    EXPECT_FALSE(Check("box/walk.kin", child_));
    EXPECT_EQ(Findings(), Strings{});
    EXPECT_FALSE(manager.meshFailed);
    manager.aliasFlag = false;

    Mesh("box\\body.im");
    engine_.animationResults = {{"box\\noskel.kin", 2}, {"box\\nores.kin", 3}, {"box\\noobs.kin", 4}};
    ASSERT_TRUE(Check("box/body.im", child_));
    for (const char* file : {"box/Walk.kin", "box/noskel.kin", "box/nores.kin", "box/noobs.kin"})
        EXPECT_FALSE(Check(file, root_)) << file;
    EXPECT_EQ(Findings(), (Strings{"E:animationfailedskeleton box\\noskel.kin@child",
                                   "E:animationfailedres box\\nores.kin@child",
                                   "E:animationfailedobserver box\\noobs.kin@child"}));
    auto* mesh = dynamic_cast<DAROdi::CheckedMesh*>(manager.GetCurrentMesh());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetAnimationNames(), std::vector<Kiv::PString>{"box\\walk.kin"});
    // An unloaded mesh takes no animation.
    DAROdi::CheckedMesh unloaded(false);
    EXPECT_FALSE(unloaded.LoadAnimation("box\\walk.kin"));
}

// Texture and mesh names are shown less their first two folders (here the asset folder
// and "tex" or "sub"), failed textures and the mesh below the asset folder.
TEST_F(MeshCheckTest, TexturesOfTheMaterialsAreChecked) {
    const validation_test::TempFolder& folder = install_.Folder();
    folder.Write("UserData/local/box/tex/wall.texture.txt", "Primary=Wall.png\r\nAlpha=\r\n");
    folder.Write("UserData/local/box/tex/roof.texture.txt", "Primary=roof.png\r\nAlpha=\r\n");
    folder.Write("UserData/local/box/tex/roof.png", "x");
    folder.Write("UserData/local/box/tex/last.texture.txt", "Alpha=\r\nPrimary=none.png\r\n");
    folder.Write("UserData/local/box/tex/door.txt", "Primary=door.png\n\n");
    engine_.textures = {"box/tex/wall.texture.txt", "box/tex/roof.texture.txt",
                        "box/tex/last.texture.txt", "box/tex/door.txt"};
    FakeMesh& mesh = Mesh("box\\sub\\body.im");
    mesh.failedTextures = {"box/tex/broken.tga"};
    mesh.materials = {{"box/tex/wall.texture", "box/tex/roof.texture"},
                      {"box/tex/last.texture", "box/tex/door.txt", "box/tex/grass.tga"}};
    ASSERT_TRUE(Check("box/sub/body.im", child_));
    EXPECT_EQ(Findings(),
              (Strings{"E:failedmaterial tex/broken.tga sub\\body.im@child",
                       "E:load_texture Wall.png wall.texture.txt body.im@child",
                       "E:load_texture door.png door.txt body.im@child",
                       "E:load_texture box/tex/grass.tga grass.tga body.im@child"}));
    // Without a context the findings have no subject.
    Clear();
    DAROdi::CheckedMesh lone(false);
    EXPECT_TRUE(lone.Load("box\\sub\\body.im", nullptr));
    EXPECT_EQ(Findings().front(), "E:failedmaterial tex/broken.tga sub\\body.im@-");
}

} // namespace
