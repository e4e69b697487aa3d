// "lm.txt": levels loaded from ".im" part files named relative to the LOD mesh, the rules
// of the distance and key-named runs, the tuning values, and writing the result as ".lm".
#include <gtest/gtest.h>

#include "content3d/mesh/lod_mesh_resource.h"
#include "mesh_test_support.h"

namespace {

using Kiv::KodrinIndexedMeshLODDefinition;

// A one-triangle part with bones root and second, and the given attachments.
std::string Part(const std::string& second, std::vector<std::string> attachments, int triangles = 1) {
    meshtest::MeshSpec spec;
    spec.chunks.push_back(meshtest::Triangles(triangles, "paint"));
    spec.chunks[0].geom.chunkMaterialName = "root";
    spec.influences = std::vector<meshtest::Influence>{{"root", "", {}, {{0, {{0, 1}}}}},
                                                       {second, "root", {0, 1, 0}, {{0, {{1, 1}, {2, 1}}}}}};
    spec.attachments.emplace();
    for (const std::string& name : attachments) spec.attachments->push_back({name, {}});
    return meshtest::WriteMesh(spec);
}

class LodMeshTextTest : public MeshTest {
protected:
    LodMeshTextTest() {
        temp.MakeFolder("loco");
        temp.WriteFile("loco/body.im", Part("arm", {"a.lamp:Cull", "a.horn"}, 2));
        temp.WriteFile("loco/low.im", Part("arm", {"a.lamp:Cull", "a.horn"}));
        temp.WriteFile("loco/extra.im", Part("arm", {"a.lamp:Cull", "a.horn", "a.bell"}));
        temp.WriteFile("loco/other.im", Part("leg", {"a.lamp:Cull", "a.horn"}));
    }

    // Loads text as "loco/<name>.lm.txt" through the LOD resource; the resource's code.
    int LoadText(const std::string& text, const std::string& name = "train") {
        temp.WriteFile("loco/" + name + ".lm.txt", text);
        resource = dynamic_cast<Kiv::KodrinIndexedMeshLODResource*>(
            database.Get(Kiv::PString(("loco/" + name + ".lm").c_str())));
        if (!resource) return -1;
        held.push_back(resource);
        resource->SetRenderKernel(&kernel);
        if (resource->Lock()) locked.push_back(resource);
        return resource->GetLastResult();
    }
    ~LodMeshTextTest() override {
        for (Kiv::Resource* r : locked) r->Unlock();
    }
    KodrinIndexedMeshLODDefinition* Lod() const { return resource->GetLODDefinition(); }

    Kiv::KodrinIndexedMeshLODResource* resource = nullptr;
    std::vector<Kiv::Resource*> locked;
};

constexpr const char* kTrain =
    "version 1\n"
    "calcPoint FAR\n"
    "offset 2\n"
    "renderCutOff 30\n"
    "mesh 0 {\n  name body.im\n}\n"
    "mesh 50.5 {\n  name low.im\n}\n"
    "mesh Collision {\n  name body.im\n}\n"
    "mesh Wheels {\n  name low.im\n  animated yes\n}\n";

TEST_F(LodMeshTextTest, PartsBecomeLevelsAndKeyNamesReuseLoadedFiles) {
    ASSERT_EQ(LoadText(kTrain), Kiv::RES_OK);
    const KodrinIndexedMeshLODDefinition& lod = *Lod();
    ASSERT_EQ(lod.GetLevelCount(), 2u);
    EXPECT_EQ(lod.GetDistances(), (std::vector<float>{0, 50.5f}));
    ASSERT_EQ(lod.GetNamedParts().size(), 2u);
    EXPECT_EQ(lod.GetNamedParts()[0].key.View(), "collision");
    EXPECT_EQ(lod.GetNamedParts()[0].level, 0u);
    EXPECT_EQ(lod.GetNamedParts()[1].level, 1u);
    EXPECT_TRUE(lod.GetNamedParts()[1].animated);
    EXPECT_EQ(lod.GetCalcPoint(), 2u);
    EXPECT_EQ(lod.GetOffset(), 2.0f);
    EXPECT_EQ(lod.GetMultiplier(), 1.0f);
    EXPECT_EQ(lod.GetRenderCutOff(), 30.0f);
    EXPECT_EQ(lod.GetLevels()[0].faceCount, 2u);
    EXPECT_EQ(lod.GetLevels()[1].faceCount, 1u);
    EXPECT_EQ(lod.GetFaceTotal(), 1u);  // the last distance level's chunk set
    EXPECT_EQ(lod.GetLevels()[0].materialNames[0].View(), "root");
    EXPECT_EQ(lod.GetBoundsMax().x, 2.0f);  // the part with the longest diagonal
    ASSERT_EQ(lod.GetCullList().size(), 1u);
    EXPECT_EQ(lod.GetCullList()[0].View(), "a.lamp");
    ASSERT_EQ(lod.GetBoneTable().size(), 2u);
    EXPECT_EQ(lod.GetBoneTable()[1].levelInfluences.size(), 2u);
    EXPECT_EQ(lod.GetBoneTable()[1].levelInfluences[0].groups[0].entries.size(), 2u);
    ASSERT_NE(lod.GetSkeletonRoot(), nullptr);
    EXPECT_EQ(lod.GetSkeletonRoot()->GetName().View(), "root");
}

TEST_F(LodMeshTextTest, WrittenAsLmAndReadBackTheModelIsTheSame) {
    ASSERT_EQ(LoadText(kTrain), Kiv::RES_OK);
    std::string bytes;
    ASSERT_EQ(Lod()->Write(bytes), 0);
    temp.WriteFile("loco/copy.lm", bytes);
    auto* copy = dynamic_cast<Kiv::KodrinIndexedMeshLODResource*>(database.Get(Kiv::PString("loco/copy.lm")));
    ASSERT_NE(copy, nullptr);
    held.push_back(copy);
    copy->SetRenderKernel(&kernel);
    ASSERT_TRUE(copy->Lock()) << copy->GetLastResult();
    locked.push_back(copy);
    const KodrinIndexedMeshLODDefinition& a = *Lod();
    const KodrinIndexedMeshLODDefinition& b = *copy->GetLODDefinition();
    ASSERT_EQ(b.GetLevelCount(), a.GetLevelCount());
    EXPECT_EQ(b.GetDistances(), a.GetDistances());
    ASSERT_EQ(b.GetNamedParts().size(), a.GetNamedParts().size());
    for (size_t i = 0; i < a.GetNamedParts().size(); ++i) {
        EXPECT_EQ(b.GetNamedParts()[i].key, a.GetNamedParts()[i].key);
        EXPECT_EQ(b.GetNamedParts()[i].level, a.GetNamedParts()[i].level);
        EXPECT_EQ(b.GetNamedParts()[i].animated, a.GetNamedParts()[i].animated);
    }
    for (uint32_t l = 0; l < a.GetLevelCount(); ++l) {
        EXPECT_EQ(b.GetLevels()[l].faceCount, a.GetLevels()[l].faceCount);
        EXPECT_EQ(b.GetLevels()[l].vertexCount, a.GetLevels()[l].vertexCount);
        EXPECT_EQ(b.GetLevels()[l].materialNames, a.GetLevels()[l].materialNames);
        EXPECT_EQ(b.GetLevels()[l].materials[0]->GetTypeName(), a.GetLevels()[l].materials[0]->GetTypeName());
        EXPECT_TRUE(b.GetLevels()[l].materials[0]->IsEqual(*a.GetLevels()[l].materials[0]));
        for (size_t bone = 0; bone < a.GetBoneTable().size(); ++bone) {
            const auto& x = a.GetBoneTable()[bone].levelInfluences[l].groups;
            const auto& y = b.GetBoneTable()[bone].levelInfluences[l].groups;
            ASSERT_EQ(y.size(), x.size());
            for (size_t g = 0; g < x.size(); ++g) EXPECT_EQ(y[g].entries.size(), x[g].entries.size());
        }
    }
    EXPECT_EQ(b.GetCullList(), a.GetCullList());
    EXPECT_EQ(b.GetCalcPoint(), a.GetCalcPoint());
    EXPECT_EQ(b.GetRenderCutOff(), a.GetRenderCutOff());
}

TEST_F(LodMeshTextTest, TextRules) {
    struct Case {
        const char* what;
        std::string text;
        int expected;
        uint32_t levels = 0;
    };
    const std::string one = "mesh 0 {\n  name body.im\n}\n";
    const Case cases[] = {
        {"one distance level", "version 1\n" + one, Kiv::RES_OK, 1},
        {"an empty distance", "version 1\nmesh {\n  name body.im\n}\n", Kiv::RES_OK, 1},
        {"version 2", "version 2\n" + one, Kiv::RES_FILE_VERSION_ERROR},
        {"a version that is no number", "version 1.x\n" + one, Kiv::RES_FILE_VERSION_ERROR},
        {"unbalanced braces", "version 1\nmesh 0 {\n", Kiv::RES_FILE_OPEN_ERROR},
        {"no mesh", "version 1\noffset 1\n", Kiv::RES_FILE_FORMAT_ERROR},
        {"a key first", "version 1\nmesh near {\n  name body.im\n}\n", Kiv::RES_FILE_FORMAT_ERROR},
        {"a distance without name", "version 1\nmesh 0 {\n}\n", Kiv::RES_FILE_FORMAT_ERROR},
        {"equal distances", "version 1\n" + one + "mesh 0 {\n  name low.im\n}\n", Kiv::RES_FILE_FORMAT_ERROR},
        {"rising distances", "version 1\n" + one + "mesh 20.5 {\n  name low.im\n}\n", Kiv::RES_OK, 2},
        {"the same file twice by distance", "version 1\n" + one + "mesh 9 {\n  name body.im\n}\n", Kiv::RES_OK, 2},
        {"a key without name", "version 1\n" + one + "mesh shadow {\n}\n", Kiv::RES_FILE_FORMAT_ERROR},
        {"a key twice in other capitals",
         "version 1\n" + one + "mesh Shadow {\n  name low.im\n}\nmesh SHADOW {\n  name low.im\n}\n",
         Kiv::RES_FILE_FORMAT_ERROR},
        {"a distance after a key", "version 1\n" + one + "mesh shadow {\n  name low.im\n}\nmesh 9 {\n  name low.im\n}\n",
         Kiv::RES_FILE_FORMAT_ERROR},
        {"a part with one attachment more", "version 1\n" + one + "mesh 9 {\n  name extra.im\n}\n",
         Kiv::RES_FILE_FORMAT_ERROR},
        {"a missing part", "version 1\n" + one + "mesh 9 {\n  name gone.im\n}\n", Kiv::RES_FILE_OPEN_ERROR},
    };
    int n = 0;
    for (const Case& c : cases) {
        const int result = LoadText(c.text, "t" + std::to_string(n++));
        EXPECT_EQ(result, c.expected) << c.what;
        if (c.expected != Kiv::RES_OK) {
            EXPECT_EQ(resource->GetDefinition(), nullptr) << c.what;
        } else if (Lod()) {
            EXPECT_EQ(Lod()->GetLevelCount(), c.levels) << c.what;
        }
    }
}

TEST_F(LodMeshTextTest, CalcPointWords) {
    const std::pair<const char*, uint32_t> cases[] = {{"Center", 0}, {"nEAR", 1}, {"FAR", 2}, {"middle", 0}};
    int n = 0;
    for (const auto& [word, expected] : cases) {
        const std::string text = std::string("version 1\ncalcPoint ") + word + "\nmesh 0 {\n  name body.im\n}\n";
        ASSERT_EQ(LoadText(text, "c" + std::to_string(n++)), Kiv::RES_OK) << word;
        EXPECT_EQ(Lod()->GetCalcPoint(), expected) << word;
    }
}

TEST_F(LodMeshTextTest, ALaterPartLackingABoneGivesItAnEmptyListForItsLevel) {
    ASSERT_EQ(LoadText("version 1\nmesh 0 {\n  name body.im\n}\nmesh 5 {\n  name other.im\n}\n"), Kiv::RES_OK);
    const auto& arm = Lod()->GetBoneTable()[1];
    EXPECT_EQ(arm.name, "arm");
    ASSERT_EQ(arm.levelInfluences.size(), 2u);
    EXPECT_FALSE(arm.levelInfluences[0].groups.empty());
    EXPECT_TRUE(arm.levelInfluences[1].groups.empty());
    EXPECT_EQ(Lod()->GetBoneTable()[0].levelInfluences[1].groups.size(), 1u);
}

}  // namespace
