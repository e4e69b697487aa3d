// Faces of a chunk as vertex triples, their centroids, normals and neighbours.
#include "content3d/mesh/mesh_triangles.h"

#include <cmath>

namespace Kiv::MeshTriangles {

namespace {

constexpr uint32_t kList = 4;
constexpr uint32_t kStrip = 8;
constexpr uint32_t kFan = 16;

}  // namespace

int64_t FaceIndexEntry(const GeometryChunk& chunk, uint32_t t, int k) {
    if (k < 0 || k > 2) return -1;
    const int64_t face = t;
    int64_t entry = -1;
    switch (chunk.GetPrimitiveKind()) {
    case kList: entry = 3 * face + k; break;
    case kStrip: entry = face + ((face & 1) != 0 && k != 0 ? 3 - k : k); break;
    case kFan: entry = k == 0 ? 0 : face + k; break;
    default: return -1;
    }
    return entry < chunk.GetIndexCount() ? entry : -1;
}

bool FaceVertex(const GeometryChunk& chunk, uint32_t t, int k, Vector3& out) {
    const int64_t entry = FaceIndexEntry(chunk, t, k);
    if (entry < 0) return false;
    const int index = chunk.GetIndices()[entry];
    if (index >= chunk.GetVertexCount()) return false;
    out = chunk.GetPosition(index);
    return true;
}

Vector3 FaceCentroid(const GeometryChunk& chunk, uint32_t t) {
    Vector3 v[3];
    for (int k = 0; k < 3; ++k) {
        if (!FaceVertex(chunk, t, k, v[k])) return {};
    }
    constexpr float kThird = 0.33333334f;
    return {(v[0].x + v[1].x + v[2].x) * kThird, (v[0].y + v[1].y + v[2].y) * kThird,
            (v[0].z + v[1].z + v[2].z) * kThird};
}

Vector3 FaceNormal(GeometryChunk& chunk, uint32_t t) {
    if (t < chunk.GetFaceNormalCount()) return chunk.GetFaceNormals()[t];
    Vector3 v[3];
    for (int k = 0; k < 3; ++k) {
        if (!FaceVertex(chunk, t, k, v[k])) return {1, 0, 0};
    }
    const Vector3 a{v[1].x - v[0].x, v[1].y - v[0].y, v[1].z - v[0].z};
    const Vector3 b{v[2].x - v[0].x, v[2].y - v[0].y, v[2].z - v[0].z};
    const Vector3 n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    const float squared = n.x * n.x + n.y * n.y + n.z * n.z;
    if (!(squared > 1e-9f)) return {1, 0, 0};
    const float length = std::sqrt(squared);
    return {n.x / length, n.y / length, n.z / length};
}

bool FaceNeighbour(const GeometryChunk& chunk, uint32_t t, int e, const std::vector<GeometryChunk*>& chunks,
                   FaceRef& out) {
    const auto& words = chunk.GetFaceNeighbors();
    if (e < 0 || e > 2 || t >= words.size()) return false;
    const uint32_t word = words[t][static_cast<size_t>(e)];
    if (word == kNoNeighbour) return false;
    const FaceRef found{word >> 16, word & 0xFFFF};
    if (found.chunk >= chunks.size() || !chunks[found.chunk]) return false;
    if (found.face >= static_cast<uint32_t>(chunks[found.chunk]->GetPrimitiveCount())) return false;
    out = found;
    return true;
}

}  // namespace Kiv::MeshTriangles
