// Faces as vertex triples by primitive kind, centroids, normals with their fallback, and
// neighbour words, including words that name no existing face.
#include "content3d/mesh/mesh_triangles.h"

#include <gtest/gtest.h>

namespace {

namespace T = Kiv::MeshTriangles;

// A chunk of the kind over positions p with indices 0, 1, 2, ... (faceNormals stored).
struct Chunk {
    Chunk(uint32_t kind, std::vector<Kiv::Vector3> p, int faces, int faceNormals = 0)
        : chunk(new Kiv::GeometryChunk(static_cast<int>(p.size()), faces, static_cast<int>(p.size()), faceNormals, kind,
                                       Kiv::StandardChunkHint(), {Kiv::kItemPosition})) {
        for (size_t i = 0; i < p.size(); ++i) {
            float* at = chunk->GetFloatItem(Kiv::kItemPosition) + 3 * i;
            at[0] = p[i].x;
            at[1] = p[i].y;
            at[2] = p[i].z;
            chunk->GetIndices()[i] = static_cast<uint16_t>(i);
        }
    }
    ~Chunk() { chunk->ReleaseReference(); }
    Kiv::GeometryChunk* chunk;
};

TEST(MeshTrianglesTest, FaceVerticesByPrimitiveKind) {
    const std::vector<Kiv::Vector3> five(5);
    Chunk list(4, std::vector<Kiv::Vector3>(6), 2), strip(8, five, 3), fan(16, five, 3), lines(1, five, 2);
    const struct {
        const char* what;
        const Chunk& chunk;
        uint32_t t;
        int64_t entries[3];
    } cases[] = {
        {"list face 1", list, 1, {3, 4, 5}},
        {"strip face 0", strip, 0, {0, 1, 2}},
        {"strip face 1 (odd: last two swapped)", strip, 1, {1, 3, 2}},
        {"strip face 2", strip, 2, {2, 3, 4}},
        {"fan face 2", fan, 2, {0, 3, 4}},
        {"past the indices", list, 2, {-1, -1, -1}},
        {"another kind", lines, 0, {-1, -1, -1}},
    };
    for (const auto& c : cases) {
        for (int k = 0; k < 3; ++k) EXPECT_EQ(T::FaceIndexEntry(*c.chunk.chunk, c.t, k), c.entries[k]) << c.what << " " << k;
    }
    EXPECT_EQ(T::FaceIndexEntry(*list.chunk, 0, 3), -1);
}

TEST(MeshTrianglesTest, CentroidsAndNormals) {
    Chunk flat(4, {{0, 0, 0}, {3, 0, 0}, {0, 3, 0}, {0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, 2);
    const Kiv::Vector3 centroid = T::FaceCentroid(*flat.chunk, 0);
    EXPECT_FLOAT_EQ(centroid.x, 1.0f);
    EXPECT_FLOAT_EQ(centroid.y, 1.0f);
    EXPECT_EQ(T::FaceNormal(*flat.chunk, 0), (Kiv::Vector3{0, 0, 1}));
    EXPECT_EQ(T::FaceNormal(*flat.chunk, 1), (Kiv::Vector3{1, 0, 0}));  // a line: degenerate
    EXPECT_EQ(T::FaceNormal(*flat.chunk, 5), (Kiv::Vector3{1, 0, 0}));  // no such face
    Chunk stored(4, {{0, 0, 0}, {3, 0, 0}, {0, 3, 0}}, 1, 1);
    stored.chunk->GetFaceNormals()[0] = {0, 1, 0};
    EXPECT_EQ(T::FaceNormal(*stored.chunk, 0), (Kiv::Vector3{0, 1, 0}));
}

TEST(MeshTrianglesTest, NeighbourWords) {
    Chunk a(4, std::vector<Kiv::Vector3>(6), 2), b(4, std::vector<Kiv::Vector3>(3), 1);
    a.chunk->SetFaceNeighbors({{0xFFFFFFFFu, 0x00000001u, 0x00010000u}, {0x00020000u, 0x00010001u, 0x00000000u}});
    const std::vector<Kiv::GeometryChunk*> chunks = {a.chunk, b.chunk};
    const struct {
        const char* what;
        uint32_t t;
        int e;
        bool found;
        uint32_t chunk, face;
    } cases[] = {
        {"none", 0, 0, false, 0, 0},
        {"same chunk", 0, 1, true, 0, 1},
        {"other chunk", 0, 2, true, 1, 0},
        {"a chunk that does not exist", 1, 0, false, 0, 0},
        {"a face past the other chunk's", 1, 1, false, 0, 0},
        {"a face without words", 2, 0, false, 0, 0},
        {"an edge out of range", 0, 3, false, 0, 0},
    };
    for (const auto& c : cases) {
        T::FaceRef ref{99, 99};
        EXPECT_EQ(T::FaceNeighbour(*a.chunk, c.t, c.e, chunks, ref), c.found) << c.what;
        if (c.found) {
            EXPECT_EQ(ref.chunk, c.chunk) << c.what;
            EXPECT_EQ(ref.face, c.face) << c.what;
        }
    }
}

}  // namespace
