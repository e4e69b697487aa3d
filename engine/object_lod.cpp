// Distances and level choice of the engine's level-of-detail object.
#include "engine/object_lod.h"

#include <cmath>

namespace Kiv {

void ObjectLOD::Init(const std::vector<float>& distances, uint32_t calcPoint) {
    distances_ = distances;
    calcPoint_ = calcPoint;
    currentLevel_ = 0;
    lastDistance_ = 0;
}

float ObjectLOD::FindLOD(const Sphere& sphere, const Vector3& camera) {
    const float dx = camera.x - sphere.centre.x, dy = camera.y - sphere.centre.y, dz = camera.z - sphere.centre.z;
    float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (calcPoint_ == kNear) distance -= sphere.radius;
    if (calcPoint_ == kFar) distance += sphere.radius;
    distance *= multiplier_;
    lastDistance_ = distance > 0.0f ? distance : 0.0f;
    return lastDistance_;
}

uint32_t ObjectLOD::FindLODIndex(float distance) {
    const uint32_t count = GetLevelCount();
    if (count == 0) return currentLevel_ = 0;
    uint32_t level = 0;
    while (level + 1 < count && distances_[level + 1] <= distance) ++level;
    if (currentLevel_ >= count) currentLevel_ = count - 1;
    while (currentLevel_ < level && distance >= distances_[currentLevel_ + 1] + offset_) ++currentLevel_;
    while (currentLevel_ > level && distance < distances_[currentLevel_] - offset_) --currentLevel_;
    return currentLevel_;
}

}  // namespace Kiv
