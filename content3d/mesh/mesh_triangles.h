// The triangle queries a mesh instance answers about its chunks' faces: the vertices of
// face t by the chunk's primitive kind (list 3t, 3t+1, 3t+2; strip t, t+1, t+2 with the
// last two swapped for odd t; fan 0, t+1, t+2), a face's centroid and normal, and the
// neighbour across one of its edges from the chunk's face-neighbour words.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/geometry_chunk.h"

namespace Kiv::MeshTriangles {

inline constexpr uint32_t kNoNeighbour = 0xFFFFFFFF;

// The index-array entry of vertex k (0..2) of face t; -1 for another primitive kind, a k
// outside 0..2, or an entry past the index array.
int64_t FaceIndexEntry(const GeometryChunk& chunk, uint32_t t, int k);
// The position of vertex k of face t; false when the face has no such vertex.
bool FaceVertex(const GeometryChunk& chunk, uint32_t t, int k, Vector3& out);
// The mean of the three vertex positions (times 0.33333334); (0, 0, 0) without them.
Vector3 FaceCentroid(const GeometryChunk& chunk, uint32_t t);
// The stored face normal, else the normalised (v1 - v0) x (v2 - v0); (1, 0, 0) when that
// is degenerate (squared length <= 1e-9) or the face has no vertices.
Vector3 FaceNormal(GeometryChunk& chunk, uint32_t t);

struct FaceRef {
    uint32_t chunk = 0;
    uint32_t face = 0;
};
// The face across edge e of face t of chunk: high 16 bits of the neighbour word the
// chunk, low 16 bits the face. False for the word 0xFFFFFFFF, a face or edge without a
// word, or a word naming a chunk or face that does not exist.
bool FaceNeighbour(const GeometryChunk& chunk, uint32_t t, int e, const std::vector<GeometryChunk*>& chunks,
                   FaceRef& out);

}  // namespace Kiv::MeshTriangles
