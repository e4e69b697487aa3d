// Kiv::GeometryConfigData: a mesh given as configuration text (the "imtxt" layout,
// engine/README.md), read from a ConfigParser tree into chunks with their material
// records, influences and attachments. LoadConfigData checks every index against its
// chunk's vertices and every per-vertex list against the vertex count; a mesh that breaks
// a rule is refused as a whole and keeps nothing.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/config_parser.h"
#include "engine/influence_definition.h"
#include "engine/material.h"
#include "engine/matrix4.h"

namespace Kiv {

struct ConfigTexture {
    uint32_t slot = 0;
    PString file;
    float amount = 1;
};

struct ConfigMaterial {
    PString name;
    std::vector<std::pair<PString, PString>> properties;
    bool flag = false;
    float opacity = 1;
    DisplayMaterial display;
    std::vector<ConfigTexture> textures;
};

struct ConfigChunk {
    ConfigMaterial material;
    uint32_t weightMode = 0;
    std::vector<Vector3> positions;
    std::vector<Vector3> normals;
    std::vector<std::vector<std::array<float, 2>>> uvSets;  // at most eight
    std::vector<uint32_t> colours;
    std::vector<uint32_t> colours2;
    std::vector<uint16_t> indices;
    std::vector<Vector3> faceNormals;
};

struct ConfigInfluence {
    PString name;
    PString parentName;
    Vector3 position;
    Vector4 rotation{0, 0, 0, 1};
    std::vector<InfluenceGroup> groups;
};

struct ConfigAttachment {
    PString name;
    Vector4 rotation{0, 0, 0, 1};
    Vector3 position;
};

class GeometryConfigData {
public:
    static constexpr size_t kMaxUvSets = 8;

    // withNormals, withColours, withFaceNormals: read those lists (else they stay empty).
    // False, with nothing kept, when the tree breaks a rule of the layout.
    bool LoadConfigData(const ConfigData& root, bool withNormals, bool withColours, bool withFaceNormals,
                        const char* fileName);

    size_t GetVertexTotal() const;
    Vector3 position;
    Vector4 orientation{0, 0, 0, 1};
    uint32_t maxWeightsPerVertex = 0;
    uint32_t maxBonesPerChunk = 0;
    std::vector<ConfigChunk> chunks;
    std::vector<ConfigInfluence> influences;
    std::vector<ConfigAttachment> attachments;
    PString fileName;
};

}  // namespace Kiv
