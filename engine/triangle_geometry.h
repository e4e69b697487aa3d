// Kiv::Geometry and Kiv::TriangleGeometry: what the engine asks of a drawable made of
// triangles. Geometry keeps the matrix a cull pass stored for it; TriangleGeometry
// answers face queries (faces are addressed as {geometry, chunk, face}) and draws its
// chunks again on request (shadows, decals).
#pragma once

#include <cstdint>

#include "engine/scene.h"

namespace Kiv {

class Material;
class TriangleGeometry;

struct TriangleFace {
    const TriangleGeometry* geometry = nullptr;
    uint32_t chunk = 0;
    uint32_t face = 0;
};

class Geometry {
public:
    virtual ~Geometry() = default;
    void StoreMatrix(const Matrix4& matrix) { storedMatrix_ = matrix; }
    const Matrix4& GetStoredMatrix() const { return storedMatrix_; }

private:
    Matrix4 storedMatrix_;
};

class TriangleGeometry : public Geometry {
public:
    // Draws the chunks with their materials, lit when lighting is set.
    virtual void RenderTriangles(Display& display, Viewport* viewport, bool lighting) = 0;
    // Whether the drawable was left out of the given frame's cull.
    virtual bool IsNotVisited(uint32_t frame) const = 0;
    virtual BoundingSphere GetGlobalBoundingSphere() const = 0;
    // The face across edge (0..2) of face; false when there is none.
    virtual bool GetFaceNeighbour(const TriangleFace& face, int edge, TriangleFace& out) const = 0;
    virtual Vector3 GetFaceCentroid(const TriangleFace& face) const = 0;
    virtual Vector3 GetFaceNormal(const TriangleFace& face) const = 0;
    // Vertex k (0..2) of face; false when the face has no such vertex.
    virtual bool GetFaceVertex(const TriangleFace& face, int k, Vector3& out) const = 0;
    // The material the face's chunk is drawn with; null when there is none.
    virtual Material* GetFaceMaterial(const TriangleFace& face) const = 0;
};

}  // namespace Kiv
