// CollisionGeometrySharingInterface: a collision tree's view of an indexed mesh's
// triangles. An id (chunk << 16 | position of the first index) gives the triangle's three
// positions from the chunk's position stream and index array.
#pragma once

#include "content3d/mesh/qx_axis_box_tree.h"

namespace Kiv {

class KodrinIndexedMeshDefinition;

class CollisionGeometrySharingInterface : public QXAxisBoxTreeExternalGeometry {
public:
    explicit CollisionGeometrySharingInterface(const KodrinIndexedMeshDefinition& definition)
        : definition_(definition) {}
    bool GetTriangle(uint32_t id, std::array<Vector3, 3>& corners) const override;

private:
    const KodrinIndexedMeshDefinition& definition_;
};

}  // namespace Kiv
