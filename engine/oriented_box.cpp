// Fitting, corners and the ray test of oriented boxes.
#include "engine/oriented_box.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace Kiv {

namespace {

template <typename At>
OrientedBox FitPoints(size_t count, At at) {
    OrientedBox box;
    if (count == 0) return box;
    Vector3 low = at(0), high = at(0);
    for (size_t i = 1; i < count; ++i) {
        const Vector3 p = at(i);
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    box.centre = {(low.x + high.x) * 0.5f, (low.y + high.y) * 0.5f, (low.z + high.z) * 0.5f};
    box.halfExtents = {(high.x - low.x) * 0.5f, (high.y - low.y) * 0.5f, (high.z - low.z) * 0.5f};
    box.axes = {Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}};
    return box;
}

}  // namespace

OrientedBox OrientedBox::Fit(std::span<const Vector3> points) {
    return FitPoints(points.size(), [&](size_t i) { return points[i]; });
}

OrientedBox OrientedBox::Fit(const float* xyz, size_t count) {
    if (!xyz) return OrientedBox();
    return FitPoints(count, [&](size_t i) { return Vector3{xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]}; });
}

std::array<Vector3, 8> OrientedBox::Corners() const {
    std::array<Vector3, 8> corners{};
    for (int i = 0; i < 8; ++i) {
        const float sx = (i & 1) ? 1.0f : -1.0f, sy = (i & 2) ? 1.0f : -1.0f,
                    sz = (i & 4) ? 1.0f : -1.0f;
        Vector3 c = centre;
        const float scale[3] = {sx * halfExtents.x, sy * halfExtents.y, sz * halfExtents.z};
        for (int a = 0; a < 3; ++a) {
            c.x += axes[a].x * scale[a];
            c.y += axes[a].y * scale[a];
            c.z += axes[a].z * scale[a];
        }
        corners[i] = c;
    }
    return corners;
}

bool OrientedBox::IntersectsRay(const Vector3& point, const Vector3& direction) const {
    if (IsZero()) return false;
    const Vector3 toCentre{centre.x - point.x, centre.y - point.y, centre.z - point.z};
    const float half[3] = {halfExtents.x, halfExtents.y, halfExtents.z};
    float nearest = 0.0f;
    float farthest = std::numeric_limits<float>::infinity();
    for (int i = 0; i < 3; ++i) {
        const Vector3& axis = axes[static_cast<size_t>(i)];
        const float along = toCentre.x * axis.x + toCentre.y * axis.y + toCentre.z * axis.z;
        const float speed = direction.x * axis.x + direction.y * axis.y + direction.z * axis.z;
        if (std::fabs(speed) < 1e-12f) {
            if (std::fabs(along) > half[i]) return false;
            continue;
        }
        float enter = (along - half[i]) / speed;
        float leave = (along + half[i]) / speed;
        if (enter > leave) std::swap(enter, leave);
        nearest = std::max(nearest, enter);
        farthest = std::min(farthest, leave);
        if (nearest > farthest) return false;
    }
    return true;
}

}  // namespace Kiv
