// Kiv::ObjectLOD: the engine's level-of-detail object. It turns the distance from a camera
// to an object's bounding sphere into a level index over the switch distances it was
// given (one per distance level, rising). The distance is measured to the sphere's centre
// ("center"), its near side or its far side, times the multiplier, and never below 0. Level
// i applies while distances[i] <= d < distances[i + 1]; below the first distance level 0,
// beyond the last the last level. The offset is a hysteresis band around each switch: the
// current level moves out only past distances[i + 1] + offset, and back in only below
// distances[i] - offset.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/matrix4.h"
#include "engine/scene.h"

namespace Kiv {

class ObjectLOD {
public:
    enum CalcPoint : uint32_t { kCenter = 0, kNear = 1, kFar = 2 };

    using Sphere = BoundingSphere;

    void Init(const std::vector<float>& distances, uint32_t calcPoint);
    // Copies the distances, the settings and the current state of another LOD object.
    void InitInstance(const ObjectLOD& source) { *this = source; }

    // The distance of the sphere seen from camera; kept as the last distance.
    float FindLOD(const Sphere& sphere, const Vector3& camera);
    // The level for a distance, moving the current level by the hysteresis rule.
    uint32_t FindLODIndex(float distance);

    void SetOffset(float offset) { offset_ = offset; }
    void SetMultiplier(float multiplier) { multiplier_ = multiplier; }
    float GetOffset() const { return offset_; }
    float GetMultiplier() const { return multiplier_; }
    float GetLastDistance() const { return lastDistance_; }
    uint32_t GetCurrentLevel() const { return currentLevel_; }
    uint32_t GetLevelCount() const { return static_cast<uint32_t>(distances_.size()); }
    uint32_t GetCalcPoint() const { return calcPoint_; }

private:
    std::vector<float> distances_;
    uint32_t calcPoint_ = kCenter;
    float offset_ = 0;
    float multiplier_ = 1;
    float lastDistance_ = 0;
    uint32_t currentLevel_ = 0;
};

}  // namespace Kiv
