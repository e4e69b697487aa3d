// The collision query of mesh instances: scale, the oriented box, the indexed mesh's
// collision tree when it has one, else every face of every chunk.
#include <cmath>

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/indexed_mesh_instance.h"
#include "engine/std_math.h"

namespace Kiv {

namespace {

constexpr float kEpsilon = 0.000001f;

Vector3 Normalised(const Vector3& v) {
    const float length = std::sqrt(Dot(v, v));
    return length > 0.0f ? Vector3{v.x / length, v.y / length, v.z / length} : v;
}

}  // namespace

bool RayMeetsTriangle(const Vector3& point, const Vector3& direction, const Vector3& v0, const Vector3& v1,
                      const Vector3& v2, bool twoSided, float& distance) {
    const Vector3 edge1 = Sub(v1, v0), edge2 = Sub(v2, v0);
    const Vector3 p = Cross(direction, edge2);
    const float determinant = Dot(edge1, p);
    if (twoSided ? std::fabs(determinant) < kEpsilon : determinant < kEpsilon) return false;
    const float inverse = 1.0f / determinant;
    const Vector3 t = Sub(point, v0);
    const float u = Dot(t, p) * inverse;
    if (u < 0.0f || u > 1.0f) return false;
    const Vector3 q = Cross(t, edge1);
    const float v = Dot(direction, q) * inverse;
    if (v < 0.0f || u + v > 1.0f) return false;
    distance = Dot(edge2, q) * inverse;
    return true;
}

bool KodrinIndexedMeshInstance::TestCollisionGeometry(const Vector3& point, const Vector3& direction, float& best,
                                                      TriangleFace& face) {
    Vector3 from = point, along = direction;
    if (scaled_) {
        if (scale_.x == 0.0f || scale_.y == 0.0f || scale_.z == 0.0f) return false;
        from = {point.x / scale_.x, point.y / scale_.y, point.z / scale_.z};
        along = Normalised({direction.x / scale_.x, direction.y / scale_.y, direction.z / scale_.z});
    }
    if (!orientedBox_.IntersectsRay(from, along)) return false;
    auto* indexed = dynamic_cast<KodrinIndexedMeshResource*>(resource_);
    KodrinIndexedMeshDefinition* definition = indexed ? indexed->GetDefinition() : nullptr;
    if (QXAxisBoxTree* tree = definition ? definition->GetCollisionTree() : nullptr) {
        const Vector3 end{from.x + kTreeSegmentLength * along.x, from.y + kTreeSegmentLength * along.y,
                          from.z + kTreeSegmentLength * along.z};
        QXHit hit;
        if (!tree->IntersectSegment(from, end, hit) || !(hit.distance < best)) return false;
        best = hit.distance;
        face = {this, 0, 0};
        return true;
    }
    float nearest = best;
    TriangleFace found;
    if (!TestChunkFaces(from, along, nearest, found) || !(nearest < best)) return false;
    best = nearest;
    face = found;
    return true;
}

bool KodrinIndexedMeshInstance::TestChunkFaces(const Vector3& point, const Vector3& direction, float& nearest,
                                               TriangleFace& face) const {
    bool hit = false;
    for (uint32_t c = 0; c < chunkCount_; ++c) {
        const GeometryChunk& chunk = *(*chunks_)[c];
        const Material* material = (*materials_)[c];
        const bool twoSided = material && (material->flags & 1) != 0;
        const uint16_t* indices = chunk.GetIndices();
        const int faces = chunk.GetIndexCount() / 3;
        for (int t = 0; t < faces; ++t) {
            const Vector3 v0 = chunk.GetPosition(indices[3 * t]), v1 = chunk.GetPosition(indices[3 * t + 1]),
                          v2 = chunk.GetPosition(indices[3 * t + 2]);
            float distance = 0;
            if (!RayMeetsTriangle(point, direction, v0, v1, v2, twoSided, distance) || distance < 0.0f ||
                !(distance < nearest)) {
                continue;
            }
            nearest = distance;
            face = {this, c, static_cast<uint32_t>(t)};
            hit = true;
        }
    }
    return hit;
}

}  // namespace Kiv
