// Kiv::OrientedBox: a box with its own axes holding a set of points. The fit is the
// points' axis-aligned box (axes x, y, z), which holds every point; no points give the
// zero box. Corners gives the eight corners.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "engine/matrix4.h"

namespace Kiv {

struct OrientedBox {
    Vector3 centre;
    std::array<Vector3, 3> axes{};  // unit axes; zero in the zero box
    Vector3 halfExtents;

    static OrientedBox Fit(std::span<const Vector3> points);
    // The same over count points stored as x, y, z floats.
    static OrientedBox Fit(const float* xyz, size_t count);
    std::array<Vector3, 8> Corners() const;
    bool IsZero() const { return axes[0] == Vector3{}; }
    // Whether the ray from point along direction (forward only) meets the box, its inside
    // included; the zero box is never met.
    bool IntersectsRay(const Vector3& point, const Vector3& direction) const;
};

}  // namespace Kiv
