// The viewpoint of a cull pass.
#include "engine/view_point.h"

#include <cmath>

namespace Kiv {

Vector3 ViewPoint::GetCameraPosition() const { return camera_ ? camera_->GetPosition() : Vector3{}; }

int ViewPoint::CalcWantedMipLevelsForCull(const BoundingSphere& sphere, float textureDensity) const {
    const Vector3 camera = GetCameraPosition();
    const float dx = camera.x - sphere.centre.x, dy = camera.y - sphere.centre.y, dz = camera.z - sphere.centre.z;
    const float nearSide = std::sqrt(dx * dx + dy * dy + dz * dz) - sphere.radius;
    const float scaled = nearSide * textureDensity;
    if (!(scaled > 1.0f)) return 0;
    return static_cast<int>(std::floor(std::log2(scaled)));
}

}  // namespace Kiv
