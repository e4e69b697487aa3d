// The oriented box's ray test: hits, misses, rays starting inside or pointing away, rays
// parallel to a face, a turned box, and the zero box.
#include <gtest/gtest.h>

#include "engine/oriented_box.h"

namespace {

TEST(OrientedBoxRayTest, SlabTest) {
    Kiv::OrientedBox box;
    box.centre = {0, 0, 10};
    box.axes = {Kiv::Vector3{1, 0, 0}, Kiv::Vector3{0, 1, 0}, Kiv::Vector3{0, 0, 1}};
    box.halfExtents = {1, 2, 1};
    Kiv::OrientedBox turned = box;  // 45 degrees about z: reaches x = 1.41 at y = 0
    const float r = 0.70710678f;
    turned.axes = {Kiv::Vector3{r, r, 0}, Kiv::Vector3{-r, r, 0}, Kiv::Vector3{0, 0, 1}};
    turned.halfExtents = {1, 1, 1};
    const struct {
        const char* what;
        const Kiv::OrientedBox& box;
        Kiv::Vector3 point, direction;
        bool hit;
    } cases[] = {
        {"straight at it", box, {0, 0, 0}, {0, 0, 1}, true},
        {"past its side", box, {1.5f, 0, 0}, {0, 0, 1}, false},
        {"along its long side", box, {0, 1.9f, 0}, {0, 0, 1}, true},
        {"pointing away", box, {0, 0, 0}, {0, 0, -1}, false},
        {"starting inside", box, {0, 0, 10}, {1, 0, 0}, true},
        {"parallel outside a face", box, {0, 3, 10}, {1, 0, 0}, false},
        {"slanting in", box, {-5, 0, 5}, {1, 0, 1}, true},
        {"turned box, through its corner region", turned, {1.3f, 0, 0}, {0, 0, 1}, true},
        {"turned box, beside it", turned, {1.3f, 1.3f, 0}, {0, 0, 1}, false},
        {"the zero box", Kiv::OrientedBox{}, {0, 0, 0}, {0, 0, 1}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.box.IntersectsRay(c.point, c.direction), c.hit) << c.what;
}

}  // namespace
