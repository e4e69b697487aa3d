// Reading ".im" files: a file assembled by hand byte by byte, the result of every kind of
// damaged or unsupported file as one table, the fields each GEOM version carries, the
// streams a chunk lacks being read past, the optional trailing chunks and the NINF rules.
#include <gtest/gtest.h>

#include <functional>

#include "mesh_test_support.h"

namespace {

using meshtest::MeshSpec;

// Replaces the first occurrence of tag in bytes.
std::string WithTag(std::string bytes, const char* tag, const char* replacement) {
    const size_t at = bytes.find(tag);
    if (at != std::string::npos) bytes.replace(at, 4, replacement);
    return bytes;
}

class ImReaderTest : public MeshTest {};

TEST_F(ImReaderTest, AMeshWrittenByHandWithoutChunksLoads) {
    const unsigned char bytes[] = {
        'K', 'I', 'R', 'F', 48, 0, 0, 0, 'I', 'D', 'X', 'M',
        'I', 'N', 'F', 'O', 36, 0, 0, 0, 100, 0, 0, 0,  // size counts from the version on
        0, 0, 0x80, 0x3F, 0, 0, 0, 0x40, 0, 0, 0x40, 0x40,  // position (1, 2, 3)
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x3F,  // orientation (0, 0, 0, 1)
        0, 0, 0, 0,  // no chunks
    };
    ASSERT_EQ(LoadIm(std::string(reinterpret_cast<const char*>(bytes), sizeof bytes)), Kiv::RES_OK);
    EXPECT_EQ(definition->GetPosition(), (Kiv::Vector3{1, 2, 3}));
    EXPECT_EQ(definition->GetChunkCount(), 0u);
    EXPECT_EQ(definition->GetMaxBonesPerChunk(), 0u);
    EXPECT_EQ(definition->CalculateDataSize(), 252u);
}

TEST_F(ImReaderTest, DamagedAndUnsupportedFilesGiveTheirCodes) {
    const struct {
        const char* what;
        std::function<void(MeshSpec&)> spec;
        std::function<std::string(std::string)> bytes;
        int expected;
    } cases[] = {
        {"sound file", nullptr, nullptr, Kiv::RES_OK},
        {"no KIRF", nullptr, [](std::string b) { return WithTag(b, "KIRF", "KIRG"); }, Kiv::RES_FILE_FORMAT_ERROR},
        {"no IDXM", nullptr, [](std::string b) { return WithTag(b, "IDXM", "IDXN"); }, Kiv::RES_FILE_FORMAT_ERROR},
        {"no INFO", nullptr, [](std::string b) { return WithTag(b, "INFO", "INFA"); }, Kiv::RES_FILE_FORMAT_ERROR},
        {"no CHNK", nullptr, [](std::string b) { return WithTag(b, "CHNK", "CHNX"); }, Kiv::RES_FILE_FORMAT_ERROR},
        {"no MATL", nullptr, [](std::string b) { return WithTag(b, "MATL", "MATX"); }, Kiv::RES_FILE_FORMAT_ERROR},
        {"no GEOM", nullptr, [](std::string b) { return WithTag(b, "GEOM", "GEOX"); }, Kiv::RES_FILE_FORMAT_ERROR},
        {"INFO 99", [](MeshSpec& s) { s.infoVersion = 99; }, nullptr, Kiv::RES_FILE_VERSION_ERROR},
        {"INFO 105", [](MeshSpec& s) { s.infoVersion = 105; }, nullptr, Kiv::RES_FILE_VERSION_ERROR},
        {"MATL 101", [](MeshSpec& s) { s.chunks[0].matl.version = 101; }, nullptr, Kiv::RES_FILE_VERSION_ERROR},
        {"GEOM 100", [](MeshSpec& s) { s.chunks[0].geom.version = 100; }, nullptr, Kiv::RES_FILE_VERSION_ERROR},
        {"GEOM 202", [](MeshSpec& s) { s.chunks[0].geom.version = 202; }, nullptr, Kiv::RES_FILE_VERSION_ERROR},
        {"NINF 101", nullptr,
         [](std::string) {
             MeshSpec s = OneTriangle();
             s.chunks[0].neighbours = std::vector<std::array<uint32_t, 3>>{{0, 0, 0}};
             std::string b = meshtest::WriteMesh(s);
             b[b.find("NINF") + 8] = 101;
             return b;
         },
         Kiv::RES_FILE_VERSION_ERROR},
        {"primitive kind 3", [](MeshSpec& s) { s.chunks[0].geom.flags = 3; }, nullptr, Kiv::RES_FILE_FORMAT_ERROR},
        {"index not below V", [](MeshSpec& s) { s.chunks[0].geom.indices[2] = 3; }, nullptr, Kiv::RES_FILE_FORMAT_ERROR},
        {"unknown material type", [](MeshSpec& s) { s.chunks[0].matl.name = "body.m.nosuchkind"; }, nullptr,
         Kiv::RES_UNKNOWN_MATERIAL},
        {"trailing bytes", [](MeshSpec& s) { s.trailing = "XXXXXXXX"; }, nullptr, Kiv::RES_FILE_FORMAT_ERROR},
        {"KIRF size past the data", nullptr, [](std::string b) { b[4] = 0x7F; return b; }, Kiv::RES_FILE_FORMAT_ERROR},
        {"short body", nullptr,
         [](std::string b) {
             b.resize(b.size() - 6);
             const uint32_t size = static_cast<uint32_t>(b.size() - 8);
             std::memcpy(&b[4], &size, 4);
             return b;
         },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"huge chunk count", [](MeshSpec& s) { s.chunkCount = 0xFFFFFFFFu; }, nullptr, Kiv::RES_FILE_FORMAT_ERROR},
        {"huge vertex count", [](MeshSpec& s) { s.chunks[0].geom.vertices = 0x40000000u; }, nullptr,
         Kiv::RES_FILE_FORMAT_ERROR},
        {"huge index count", [](MeshSpec& s) { s.chunks[0].geom.indexCount = 0xFFFFFFFFu; }, nullptr,
         Kiv::RES_FILE_FORMAT_ERROR},
        {"huge uv set count", [](MeshSpec& s) { s.chunks[0].geom.version = 103; s.chunks[0].geom.uvSets = 0xFFFFFFFFu; },
         nullptr, Kiv::RES_FILE_FORMAT_ERROR},
        {"huge property count", nullptr,
         [](std::string b) {
             const size_t at = b.find("MATL") + 12 + 12;  // past the header and the name "body"
             std::memcpy(&b[at], "\xFF\xFF\xFF\x7F", 4);
             return b;
         },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"1500 influences read as none", [](MeshSpec& s) {
             s.influences = std::vector<meshtest::Influence>{{"root", "", {}, {}}};
             s.influenceCount = 1500;
         }, nullptr, Kiv::RES_FILE_FORMAT_ERROR},
        {"influence count past the data", [](MeshSpec& s) {
             s.influences = std::vector<meshtest::Influence>{};
             s.influenceCount = 1000;
         }, nullptr, Kiv::RES_FILE_FORMAT_ERROR},
        {"INFL and no ATCH", [](MeshSpec& s) {
             s.influences = std::vector<meshtest::Influence>{{"root", "", {}, {}}};
         }, nullptr, Kiv::RES_OK},
        {"ATCH alone", [](MeshSpec& s) { s.attachments = std::vector<meshtest::Attachment>{{"a.x", {}}}; },
         nullptr, Kiv::RES_OK},
        {"BONE of version 3 fails the end check", [](MeshSpec& s) { s.skeleton = meshtest::Bone{"root", 3, {}}; },
         nullptr, Kiv::RES_FILE_FORMAT_ERROR},
    };
    for (const auto& c : cases) {
        MeshSpec spec = OneTriangle();
        if (c.spec) c.spec(spec);
        std::string bytes = meshtest::WriteMesh(spec);
        if (c.bytes) bytes = c.bytes(bytes);
        EXPECT_EQ(LoadIm(bytes), c.expected) << c.what;
    }
}

TEST_F(ImReaderTest, EveryPrefixOfASoundFileFailsWithoutReadingPastIt) {
    MeshSpec spec = OneTriangle();
    spec.chunks[0].neighbours = std::vector<std::array<uint32_t, 3>>{{1, 2, 3}};
    spec.influences = std::vector<meshtest::Influence>{{"root", "", {}, {{0, {{0, 1.0f}}}}}};
    spec.attachments = std::vector<meshtest::Attachment>{{"a.x", {}}};
    const std::string bytes = meshtest::WriteMesh(spec);
    ASSERT_EQ(LoadIm(bytes), Kiv::RES_OK);
    for (size_t length = 0; length < bytes.size(); length += 3) {
        EXPECT_NE(LoadIm(bytes.substr(0, length)), Kiv::RES_OK) << length;
    }
}

TEST_F(ImReaderTest, EachGeometryVersionCarriesItsOwnFields) {
    const struct {
        uint32_t version;
        uint32_t uvSets;
        const char* chunkName;
        bool tangents;
    } cases[] = {
        {101, 1, "", false}, {102, 1, "", false}, {103, 3, "", false},
        {104, 2, "", false}, {200, 1, "roof", false}, {201, 1, "roof", true},
    };
    for (const auto& c : cases) {
        MeshSpec spec = OneTriangle();
        meshtest::Geom& geom = spec.chunks[0].geom;
        geom.version = c.version;
        geom.uvSets = c.uvSets;
        geom.chunkMaterialName = c.chunkName;
        geom.extraFlags = c.tangents ? 1 : 0;
        ASSERT_EQ(LoadIm(spec), Kiv::RES_OK) << c.version;
        Kiv::GeometryChunk* chunk = definition->GetChunk(0);
        EXPECT_EQ(chunk->GetHint().texCoordSets, static_cast<int>(c.uvSets)) << c.version;
        EXPECT_EQ(definition->GetChunkMaterialName(0).View(), c.chunkName) << c.version;
        // The first set's u of vertex 1 is x / 2 = 0.5 in every version.
        EXPECT_FLOAT_EQ(chunk->GetFloatItem(Kiv::kItemTexCoord0)[2], 0.5f) << c.version;
        EXPECT_EQ(chunk->GetPosition(1), (Kiv::Vector3{1, 0, 0})) << c.version;
        EXPECT_EQ(chunk->GetIndices()[2], 2) << c.version;
    }
}

TEST_F(ImReaderTest, AChunkWithoutNormalOrTangentStreamsStillReadsPastTheirBlocks) {
    Kiv::MeshLoaderSettings settings;
    settings.softwareLighting = {1, 1};  // this material then keeps colours, not normals
    MeshSpec spec = OneTriangle();
    spec.chunks.push_back(meshtest::Triangles(2));
    for (meshtest::Chnk& chunk : spec.chunks) {
        chunk.matl.name = "ground.m.tonetexnoalpha";
        chunk.geom.version = 104;
        chunk.geom.colours = {0xFF112233u, 0xFF445566u, 0xFF778899u};
    }
    ASSERT_EQ(LoadIm(meshtest::WriteMesh(spec), "mesh.im", settings), Kiv::RES_OK);
    ASSERT_EQ(definition->GetChunkCount(), 2u);
    Kiv::GeometryChunk* chunk = definition->GetChunk(0);
    EXPECT_FALSE(chunk->HasItem(Kiv::kItemNormal));
    EXPECT_EQ(chunk->GetWordItem(Kiv::kItemColor)[0], 0xFF332211u);  // red and blue swapped
    EXPECT_EQ(definition->GetChunk(1)->GetPosition(3), (Kiv::Vector3{1, 0, 0}));
}

TEST_F(ImReaderTest, NeighboursAreReadOnlyInsideTheirChunkAndSizedByTheFaces) {
    MeshSpec spec = OneTriangle();
    spec.chunks[0].geom.faceNormals = {{0, 0, 1}};
    spec.chunks[0].neighbours = std::vector<std::array<uint32_t, 3>>{{7, 8, 9}};
    const std::string inside = meshtest::WriteMesh(spec);
    ASSERT_EQ(LoadIm(inside), Kiv::RES_OK);
    ASSERT_EQ(definition->GetChunk(0)->GetFaceNeighbors().size(), 1u);
    EXPECT_EQ(definition->GetChunk(0)->GetFaceNeighbors()[0][2], 9u);
    EXPECT_EQ(definition->GetChunk(0)->GetFaceNormals()[0], (Kiv::Vector3{0, 0, 1}));

    // The same bytes with the CHNK ending right after its GEOM: the NINF is not its own.
    std::string outside = inside;
    const size_t chnk = outside.find("CHNK");
    const uint32_t shortened = static_cast<uint32_t>(outside.find("NINF") - (chnk + 8));
    std::memcpy(&outside[chnk + 4], &shortened, 4);
    EXPECT_EQ(LoadIm(outside), Kiv::RES_FILE_FORMAT_ERROR);
}

}  // namespace
