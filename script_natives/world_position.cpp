// World positions: the corners of a bounds record and their normalisation into whole tiles.
#include "script_natives/world_position.h"

#include <cmath>
#include <limits>

namespace {

constexpr float kTileLength = 720.0f;
constexpr float kInverseTileLength = 0.0013888889f;
constexpr double kCarryTolerance = 0.0001;

// Whole tiles held in the offset, rounded towards minus infinity (with the carry tolerance),
// as an int32: NaN gives 0, values beyond the range saturate.
int32_t WholeTiles(float offset) {
    const double scaled = static_cast<double>(offset * kInverseTileLength) + kCarryTolerance;
    const double tiles = std::trunc(scaled) - (offset < 0.0f ? 1.0 : 0.0);
    if (std::isnan(tiles)) return 0;
    if (tiles <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (tiles >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(tiles);
}

WorldPosition Corner(const WorldBounds& bounds, const float* offsets) {
    WorldPosition position;
    position.tile[0] = bounds.tile[0];
    position.tile[1] = bounds.tile[1];
    for (int axis = 0; axis < 3; ++axis)
        position.offset[axis] = offsets[axis];
    return position;
}

}  // namespace

WorldPosition WorldBounds::GetMinCorner() const { return Corner(*this, low); }
WorldPosition WorldBounds::GetMaxCorner() const { return Corner(*this, high); }

void NormaliseWorldPosition(WorldPosition& position) {
    for (int axis = 0; axis < 2; ++axis) {
        const int32_t tiles = WholeTiles(position.offset[axis]);
        const uint16_t wrapped = static_cast<uint16_t>(static_cast<uint16_t>(position.tile[axis]) +
                                                       static_cast<uint16_t>(static_cast<uint32_t>(tiles)));
        position.tile[axis] = static_cast<int16_t>(wrapped);
        position.offset[axis] -= static_cast<float>(static_cast<double>(tiles) * kTileLength);
    }
    position.normalised = 1;
}
