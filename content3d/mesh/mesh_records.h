// Records a mesh definition keeps beside its chunks: attachment points, the working
// material record a MATL chunk (or text data) gives, and the per-material entry whose
// textures are set when loading completes.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/material.h"
#include "engine/matrix4.h"
#include "engine/pstring.h"
#include "engine/std_math.h"

namespace Kiv {

class KodrinGeometryBaseResource;
class MaterialManager;

struct MeshAttachment {
    Matrix3 rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
    Vector3 position;
    PString name;
};

struct TextureDef {
    uint32_t slot = 0;
    PString file;
    float amount = 0;
};

struct MeshMaterialRecord {
    PString requestName;
    std::vector<std::pair<PString, PString>> properties;
    bool flag = false;
    float opacity = 1.0f;
    DisplayMaterial display;
    std::vector<TextureDef> textures;
};

struct MeshMaterialEntry {
    std::vector<TextureDef> textures;
    KodrinGeometryBaseResource* resource = nullptr;
    Material* material = nullptr;  // one reference held
    PString requestName;
    MaterialManager* manager = nullptr;
};

}  // namespace Kiv
