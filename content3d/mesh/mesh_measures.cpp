// What a loaded mesh measures of itself: the axis-aligned bounds of every chunk position,
// the texture density (object length per texture length, weighted by triangle size and
// capped at eight times the mean) and an oriented box holding every chunk's box.
#include <algorithm>

#include "content3d/mesh/indexed_mesh_definition.h"

namespace Kiv {

void KodrinIndexedMeshDefinition::ComputeBounds() {
    bool any = false;
    boundsMin_ = boundsMax_ = Vector3{};
    for (GeometryChunk* chunk : chunks_) {
        const float* p = chunk->GetFloatItem(kItemPosition);
        for (int i = 0; p && i < chunk->GetVertexCount(); ++i, p += 3) {
            if (!any) {
                boundsMin_ = boundsMax_ = Vector3{p[0], p[1], p[2]};
                any = true;
            }
            boundsMin_ = {std::min(boundsMin_.x, p[0]), std::min(boundsMin_.y, p[1]), std::min(boundsMin_.z, p[2])};
            boundsMax_ = {std::max(boundsMax_.x, p[0]), std::max(boundsMax_.y, p[1]), std::max(boundsMax_.z, p[2])};
        }
    }
}

void KodrinIndexedMeshDefinition::ComputeTextureDensity() {
    float sum = 0, weight = 0, most = 0;
    for (GeometryChunk* chunk : chunks_) {
        const float* uv = chunk->GetFloatItem(kItemTexCoord0);
        const uint16_t* indices = chunk->GetIndices();
        const float* p = chunk->GetFloatItem(kItemPosition);
        if (!uv || !indices || !p) continue;
        const auto positions = [p](int i) { return Vector3{p[3 * i], p[3 * i + 1], p[3 * i + 2]}; };
        const int vertices = chunk->GetVertexCount();
        for (int t = 0; t + 2 < chunk->GetIndexCount(); t += 3) {
            const int i0 = indices[t], i1 = indices[t + 1], i2 = indices[t + 2];
            if (i0 >= vertices || i1 >= vertices || i2 >= vertices) continue;
            const Vector3 p0 = positions(i0);
            const Vector3 a = Sub(positions(i1), p0), b = Sub(positions(i2), p0);
            const float du1 = uv[2 * i1] - uv[2 * i0], dv1 = uv[2 * i1 + 1] - uv[2 * i0 + 1];
            const float du2 = uv[2 * i2] - uv[2 * i0], dv2 = uv[2 * i2 + 1] - uv[2 * i0 + 1];
            const float ua2 = du1 * du1 + dv1 * dv1, ub2 = du2 * du2 + dv2 * dv2;
            if (!(ua2 * ub2 > 0.00001f * 0.00001f)) continue;  // |ua| x |ub| too small
            const float la2 = Dot(a, a), lb2 = Dot(b, b);
            const float ra = StdMath::Sqrt(la2 / ua2), rb = StdMath::Sqrt(lb2 / ub2);
            const float wt = StdMath::Sqrt(la2 * lb2) * 0.5f;
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
    for (GeometryChunk* chunk : chunks_) {
        const std::array<Vector3, 8> box =
            OrientedBox::Fit(chunk->GetFloatItem(kItemPosition), static_cast<size_t>(chunk->GetVertexCount())).Corners();
        corners.insert(corners.end(), box.begin(), box.end());
    }
    orientedBox_ = OrientedBox::Fit(corners);
}

}  // namespace Kiv
