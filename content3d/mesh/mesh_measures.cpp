// What a loaded mesh measures of itself: the axis-aligned bounds of every chunk position,
// the texture density (object length per texture length, weighted by triangle size and
// capped at eight times the mean) and an oriented box holding every chunk's box.
#include <algorithm>

#include "content3d/mesh/indexed_mesh_definition.h"

namespace Kiv {

namespace {

float Length2(float du, float dv) { return StdMath::Sqrt(du * du + dv * dv); }

}  // namespace

void KodrinIndexedMeshDefinition::ComputeBounds() {
    bool any = false;
    boundsMin_ = boundsMax_ = Vector3{};
    for (const GeometryChunk* chunk : chunks_) {
        for (int i = 0; i < chunk->GetVertexCount(); ++i) {
            const Vector3 p = chunk->GetPosition(i);
            if (!any) {
                boundsMin_ = boundsMax_ = p;
                any = true;
                continue;
            }
            boundsMin_ = {std::min(boundsMin_.x, p.x), std::min(boundsMin_.y, p.y), std::min(boundsMin_.z, p.z)};
            boundsMax_ = {std::max(boundsMax_.x, p.x), std::max(boundsMax_.y, p.y), std::max(boundsMax_.z, p.z)};
        }
    }
}

void KodrinIndexedMeshDefinition::ComputeTextureDensity() {
    float sum = 0, weight = 0, most = 0;
    for (GeometryChunk* chunk : chunks_) {
        const float* uv = chunk->GetFloatItem(kItemTexCoord0);
        const uint16_t* indices = chunk->GetIndices();
        if (!uv || !indices || !chunk->HasItem(kItemPosition)) continue;
        const int vertices = chunk->GetVertexCount();
        for (int t = 0; t + 2 < chunk->GetIndexCount(); t += 3) {
            const int i0 = indices[t], i1 = indices[t + 1], i2 = indices[t + 2];
            if (i0 >= vertices || i1 >= vertices || i2 >= vertices) continue;
            const Vector3 p0 = chunk->GetPosition(i0);
            const float la = StdMath::Length(Sub(chunk->GetPosition(i1), p0));
            const float lb = StdMath::Length(Sub(chunk->GetPosition(i2), p0));
            const float ua = Length2(uv[2 * i1] - uv[2 * i0], uv[2 * i1 + 1] - uv[2 * i0 + 1]);
            const float ub = Length2(uv[2 * i2] - uv[2 * i0], uv[2 * i2 + 1] - uv[2 * i0 + 1]);
            if (!(ua * ub > 0.00001f)) continue;
            const float ra = la / ua, rb = lb / ub, wt = la * lb * 0.5f;
            sum += wt * ra + wt * rb;
            weight += 2 * wt;
            most = std::max({most, ra, rb});
        }
    }
    const float mean = weight > 0 ? sum / weight : 0.0f;
    textureDensity_ = std::min(most, 8.0f * mean);
}

void KodrinIndexedMeshDefinition::ComputeOrientedBox() {
    std::vector<Vector3> corners;
    for (const GeometryChunk* chunk : chunks_) {
        std::vector<Vector3> points(static_cast<size_t>(chunk->GetVertexCount()));
        for (size_t i = 0; i < points.size(); ++i) points[i] = chunk->GetPosition(static_cast<int>(i));
        const std::array<Vector3, 8> box = OrientedBox::Fit(points).Corners();
        corners.insert(corners.end(), box.begin(), box.end());
    }
    orientedBox_ = OrientedBox::Fit(corners);
}

}  // namespace Kiv
