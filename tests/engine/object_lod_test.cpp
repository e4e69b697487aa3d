// The level-of-detail object: distances to the centre, near and far side of a sphere
// (never negative), levels over the switch distances, and the hysteresis of the offset.
#include "engine/object_lod.h"

#include <gtest/gtest.h>

namespace {

TEST(ObjectLODTest, DistancesByCalcPointAndMultiplier) {
    const struct {
        uint32_t calcPoint;
        float multiplier;
        Kiv::Vector3 camera;
        float expected;
    } cases[] = {
        {Kiv::ObjectLOD::kCenter, 1, {0, 0, 10}, 10},
        {Kiv::ObjectLOD::kNear, 1, {0, 0, 10}, 8},
        {Kiv::ObjectLOD::kFar, 1, {0, 0, 10}, 12},
        {Kiv::ObjectLOD::kFar, 0.5f, {0, 0, 10}, 6},
        {Kiv::ObjectLOD::kNear, 1, {0, 1, 0}, 0},  // inside the sphere: never negative
        {Kiv::ObjectLOD::kCenter, -1, {0, 0, 10}, 0},
    };
    for (const auto& c : cases) {
        Kiv::ObjectLOD lod;
        lod.Init({0, 50}, c.calcPoint);
        lod.SetMultiplier(c.multiplier);
        EXPECT_EQ(lod.FindLOD({{0, 0, 0}, 2}, c.camera), c.expected) << c.calcPoint << " " << c.multiplier;
        EXPECT_EQ(lod.GetLastDistance(), c.expected);
    }
}

TEST(ObjectLODTest, LevelsOverTheSwitchDistances) {
    Kiv::ObjectLOD lod;
    lod.Init({10, 50, 200}, Kiv::ObjectLOD::kCenter);
    const std::pair<float, uint32_t> cases[] = {{0, 0}, {10, 0}, {49.9f, 0}, {50, 1}, {199, 1}, {200, 2}, {1e9f, 2}, {5, 0}};
    for (const auto& [distance, level] : cases) EXPECT_EQ(lod.FindLODIndex(distance), level) << distance;
    Kiv::ObjectLOD none;
    none.Init({}, Kiv::ObjectLOD::kCenter);
    EXPECT_EQ(none.FindLODIndex(100), 0u);
}

TEST(ObjectLODTest, TheOffsetHoldsTheLevelAroundEachSwitch) {
    Kiv::ObjectLOD lod;
    lod.Init({0, 50, 100}, Kiv::ObjectLOD::kCenter);
    lod.SetOffset(5);
    const std::pair<float, uint32_t> walk[] = {{52, 0}, {55, 1}, {47, 1}, {44, 0}, {200, 2}, {96, 2}, {94, 1}, {0, 0}};
    for (const auto& [distance, level] : walk) EXPECT_EQ(lod.FindLODIndex(distance), level) << distance;
    Kiv::ObjectLOD copy;
    lod.FindLODIndex(200);
    copy.InitInstance(lod);
    EXPECT_EQ(copy.GetCurrentLevel(), 2u);
    EXPECT_EQ(copy.GetOffset(), 5.0f);
    EXPECT_EQ(copy.GetLevelCount(), 3u);
}

}  // namespace
