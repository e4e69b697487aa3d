// QXAxisBoxTree: a compact axis-aligned box tree over the triangles of a mesh, for segment
// tests. Triangles are added with an id (chunk << 16 | position of the first index in the
// chunk's index array), welded by exact position and split by the median of their box
// centres on the axis where the halves overlap least. The finished tree keeps 20-byte
// nodes (two words, a box quantised to 16-bit centres and half-extents) and 3-byte
// triangle references; it reads the triangles back through its external geometry.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "content3d/mesh/qx_map_kd_tree.h"
#include "engine/matrix4.h"

namespace Kiv {

// Where a tree finds the three corners of a triangle id.
class QXAxisBoxTreeExternalGeometry {
public:
    virtual ~QXAxisBoxTreeExternalGeometry() = default;
    // False when the id names no triangle.
    virtual bool GetTriangle(uint32_t id, std::array<Vector3, 3>& corners) const = 0;
};

struct QXHit {
    Vector3 point;
    Vector3 normal;
    float distance = -1;
    int32_t triangleId = -1;
    int32_t chunk = -1;
};

class QXAxisBoxTree {
public:
    static constexpr uint32_t kMaxTriangles = 8300000;
    static constexpr uint32_t kMaxVertices = 16700000;
    static constexpr uint32_t kMaxChunk = 511;
    static constexpr uint32_t kMaxPosition = 98301;

#pragma pack(push, 1)
    struct Node {
        uint32_t words[2];
        int16_t centre[3];
        uint16_t half[3];
    };
#pragma pack(pop)
    static_assert(sizeof(Node) == 20);

    QXAxisBoxTree();
    ~QXAxisBoxTree();

    // Starts a build over geometry (not owned), leaf size 64.
    void SetExternalGeometry(const QXAxisBoxTreeExternalGeometry* geometry);
    void AddTriangle(const Vector3& p0, const Vector3& p1, const Vector3& p2, uint32_t id);
    // True when a tree was made; the build state is then freed.
    bool Build();
    // The nearest hit of the segment from start to end; hit is cleared first.
    bool IntersectSegment(const Vector3& start, const Vector3& end, QXHit& hit) const;

    static constexpr uint32_t kLeafSize = 64;
    uint32_t GetRejectedCount() const { return rejected_; }
    // Welded vertices and kept triangles of the build under way (0 once built).
    size_t GetWeldedVertexCount() const;
    size_t GetBuildTriangleCount() const;
    const std::vector<Node>& GetNodes() const { return nodes_; }
    const std::vector<uint8_t>& GetReferences() const { return references_; }
    static bool IsLeaf(const Node& node) { return (node.words[0] & 0x80000000u) != 0; }

private:
    struct BuildState;
    uint32_t Split(size_t begin, size_t end);
    void Compact();
    bool TestLeaf(const Node& node, const Vector3& start, const Vector3& end, QXHit& hit) const;

    const QXAxisBoxTreeExternalGeometry* geometry_ = nullptr;
    std::unique_ptr<BuildState> build_;
    std::vector<Node> nodes_;
    std::vector<uint8_t> references_;
    float inverseCentreScale_ = 1;
    float inverseExtentScale_ = 1;
    uint32_t rejected_ = 0;
};

}  // namespace Kiv
