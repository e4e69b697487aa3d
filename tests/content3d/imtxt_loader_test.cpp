// Text meshes ("imtxt"): a two-triangle mesh built through the definition (geometry type 0,
// power x 128, no oriented box, the display's capability stored but the limit kept), the
// parser's results passed on, undecorated materials renamed from the seeded generator,
// the chunk's own weight count on display-skinned chunks, and a stream the chunk lacks.
#include <gtest/gtest.h>

#include "mesh_test_support.h"

namespace {

const char* const kMesh =
    "version 1\n"
    "position 1 2 3\n"
    "maxWeightsPerVertex 1\n"
    "maxBonesPerChunk 4\n"
    "chunk {\n"
    "  material {\n    name body.m.onetex\n    power 0.25\n    colour4 1 1 1 1\n"
    "    texture {\n      slot 0\n      file body.tga\n    }\n  }\n"
    "  weightMode WEIGHTS\n"
    "  vertex 0 0 0\n  vertex 1 0 0\n  vertex 0 1 0\n  vertex 1 1 0\n"
    "  uv 0 0\n  uv 1 0\n  uv 0 1\n  uv 1 1\n"
    "  triangle 0 1 2\n  triangle 1 3 2\n"
    "}\n"
    "influence {\n  name root\n  rotation 0 0 0 1\n  group {\n    chunk 0\n    entry 3 1 0 0 0\n  }\n}\n"
    "attachment {\n  name a.light\n  position 0 0 1\n}\n";

std::string Mesh(const char* weightMode = "0") {
    std::string text = kMesh;
    text.replace(text.find("WEIGHTS"), 7, weightMode);
    return text;
}

class ImtxtLoaderTest : public MeshTest {
protected:
    int LoadText(const std::string& text, const std::string& name = "lod/m.imtxt") {
        temp.MakeFolder("lod");
        temp.WriteFile(name, text);
        auto* resource = new Kiv::KodrinIndexedMeshResource(Kiv::PString(name.c_str()), &database,
                                                            Kiv::Resource::Form::kBinary);
        held.push_back(resource);
        definition = std::make_unique<Kiv::KodrinIndexedMeshDefinition>(Kiv::MeshLoaderSettings{});
        return definition->LoadText(kernel.GetDisplay(), kernel.GetMaterialManager(), resource, name.c_str(), 7);
    }
};

TEST_F(ImtxtLoaderTest, ATextMeshBuildsItsChunksMaterialsAndSkeleton) {
    kernel.GetDisplay()->SetCapability(29, true);
    ASSERT_EQ(LoadText(Mesh()), Kiv::RES_OK);
    EXPECT_EQ(definition->GetFileName().View(), "kivmesh/lod/m.imtxt");
    EXPECT_EQ(definition->GetPosition(), (Kiv::Vector3{1, 2, 3}));
    EXPECT_TRUE(definition->IsDisplaySkinningCapable());
    EXPECT_EQ(definition->GetBonesPerChunkLimit(), 25u);
    ASSERT_EQ(definition->GetChunkCount(), 1u);
    const Kiv::GeometryChunk* chunk = definition->GetChunk(0);
    EXPECT_EQ(chunk->GetPrimitiveKind(), 4u);  // geometry type 0
    EXPECT_EQ(chunk->GetIndexCount(), 6);
    EXPECT_EQ(chunk->GetPosition(3), (Kiv::Vector3{1, 1, 0}));
    EXPECT_EQ(definition->GetFaceTotal(), 2u);
    const Kiv::Material* material = definition->GetMaterial(0);
    EXPECT_FLOAT_EQ(material->power, 32.0f);
    EXPECT_EQ(material->emissive, (Kiv::Color{1, 1, 1, 1}));  // not halved on this path
    ASSERT_EQ(definition->GetMaterialEntries().size(), 1u);
    EXPECT_EQ(definition->GetMaterialEntries()[0]->requestName.View(), "body.m.onetex");
    ASSERT_NE(definition->GetSkeletonRoot(), nullptr);
    EXPECT_EQ(definition->GetAttachments()[0].position, (Kiv::Vector3{0, 0, 1}));
    EXPECT_TRUE(definition->GetOrientedBox().IsZero());
    EXPECT_GT(definition->GetTextureDensity(), 0.0f);
}

TEST_F(ImtxtLoaderTest, ParserResultsArePassedOn) {
    const struct {
        const char* what;
        std::string text;
        int expected;
    } cases[] = {
        {"no version line", "chunk {\n}\n", Kiv::ConfigParser::kVersion},
        {"unclosed", "version 1\nchunk {\n", Kiv::ConfigParser::kSyntax},
        {"no vertices and a broken item", "version 1\nposition 1 2\n", Kiv::RES_FILE_FORMAT_ERROR},
    };
    for (const auto& c : cases) EXPECT_EQ(LoadText(c.text), c.expected) << c.what;
    auto* resource = new Kiv::KodrinIndexedMeshResource(Kiv::PString("absent.imtxt"), &database,
                                                        Kiv::Resource::Form::kBinary);
    held.push_back(resource);
    Kiv::KodrinIndexedMeshDefinition absent{Kiv::MeshLoaderSettings{}};
    EXPECT_EQ(absent.LoadText(kernel.GetDisplay(), kernel.GetMaterialManager(), resource, "absent.imtxt", 0),
              Kiv::RES_FILE_OPEN_ERROR);
}

TEST_F(ImtxtLoaderTest, UndecoratedMaterialsGetANameFromTheSeededGenerator) {
    std::string text = Mesh();
    text.replace(text.find("body.m.onetex"), 13, "paint");
    Kiv::KodrinIndexedMeshDefinition::MaterialNameRand().Seed(5);
    ASSERT_EQ(LoadText(text), Kiv::RES_OK);
    const std::string first(definition->GetMaterialEntries()[0]->requestName.View());
    EXPECT_EQ(first.rfind("KodrinIndexedMeshDefinition::CreateMaterial> *m*", 0), 0u) << first;
    EXPECT_EQ(first.substr(first.size() - 7), "*paint*");
    Kiv::KodrinIndexedMeshDefinition::MaterialNameRand().Seed(5);
    ASSERT_EQ(LoadText(text), Kiv::RES_OK);
    EXPECT_EQ(definition->GetMaterialEntries()[0]->requestName.View(), first);
}

TEST_F(ImtxtLoaderTest, DisplaySkinnedTextChunksTakeTheirOwnWeightCount) {
    kernel.GetDisplay()->SetCapability(29, true);
    ASSERT_EQ(LoadText(Mesh("2")), Kiv::RES_OK);
    ASSERT_TRUE(definition->IsHardwareSkinning());
    const Kiv::ChunkHint& hint = definition->GetChunk(0)->GetHint();
    EXPECT_EQ(hint.weightsPerVertex, 2);
    EXPECT_EQ(hint.matricesPerChunk, 4);
    EXPECT_EQ(definition->GetChunk(0)->GetWordItem(Kiv::kItemPackedWeights)[3], 255u);  // root's entry
}

TEST_F(ImtxtLoaderTest, AListTheChunkHasNoStreamForFails) {
    std::string text = Mesh();
    text.replace(text.find("  triangle 0 1 2"), 0, "  colour2 1\n  colour2 2\n  colour2 3\n  colour2 4\n");
    EXPECT_EQ(LoadText(text), Kiv::RES_FAIL_CHUNK_CREATE);
}

}  // namespace
