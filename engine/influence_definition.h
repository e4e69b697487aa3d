// Kiv::InfluenceDefinition: one bone's influence on a skinned mesh, as mesh files store
// it: the bone's name and parent name, its bind transform, and per chunk the vertices it
// moves with their weights and offsets from the bone.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/matrix4.h"
#include "engine/pstring.h"
#include "engine/std_math.h"

namespace Kiv {

struct InfluenceEntry {
    uint32_t vertex = 0;
    float weight = 0;
    Vector3 offset;
};

struct InfluenceGroup {
    uint32_t chunkIndex = 0;
    std::vector<InfluenceEntry> entries;
};

struct InfluenceDefinition {
    PString name;
    PString parentName;  // empty for a root
    Vector3 bindPosition;
    Matrix3 bindRotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::vector<InfluenceGroup> groups;
};

}  // namespace Kiv
