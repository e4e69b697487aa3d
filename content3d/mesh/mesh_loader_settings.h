// MeshLoaderSettings: the loader switches a mesh resource hands to its definition, five
// {value, present} byte pairs named after the engine configuration's "Mesh" keys. A pair
// counts only when present.
#pragma once

#include <cstdint>

namespace Kiv {

struct MeshSetting {
    uint8_t value = 0;
    uint8_t present = 0;
    bool IsSet() const { return present != 0 && value != 0; }
    int ValueOr(int fallback) const { return present != 0 ? value : fallback; }
};

struct MeshLoaderSettings {
    MeshSetting softwareLighting;                 // "SoftwareLighting"
    MeshSetting softwareAnimation;                // "SoftwareAnimation"
    MeshSetting dynamicVertex;                    // "DynamicVertex"
    MeshSetting dynamicIndex;                     // "DynamicIndex"
    MeshSetting hardwareAnimationFloatPrecision;  // "HardwareAnimationFloatPrecision"
};

}  // namespace Kiv
