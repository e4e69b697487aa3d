// Geometry chunks: the vertex and index data of one drawable piece of a mesh, made by a
// material for its own vertex layout. A chunk holds one array per vertex item kind (the
// kinds and sizes are the table below), its indices, its face normals, its creation hint,
// named float properties and the list of sharing calls made on it. Drawing is recorded on
// the display with the vertex program's name. The templates name the layouts a material
// asks for; a hint skinned on the display adds the blend-weight and matrix-index items.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/alloc.h"
#include "engine/matrix4.h"

namespace Kiv {

class Display;
class ResourceDatabase;
class VertexProgram;
class VertexType;
class Viewport;

// Vertex item kinds and their sizes in bytes.
enum VertexItemKind : int {
    kItemPosition = 1,       // 3 x f32
    kItemColor = 2,          // u32
    kItemColor2 = 3,         // u32, the second colour
    kItemNormal = 4,         // 3 x f32
    kItemWeights1 = 5,       // 1..4 x f32: kinds 5..8
    kItemWeights4 = 8,
    kItemPackedWeights = 9,  // u32, one byte per weight
    kItemPackedIndices = 10, // u32, one byte per index
    kItemTexCoord0 = 15,     // 2 x f32: kinds 15..22 are sets 0..7
    kItemTexCoord7 = 22,
    kItemTangent = 27,       // 3 x f32
};
// 0 for a kind that does not exist.
int VertexItemSize(int kind);
bool IsWordItem(int kind);

// Primitive kinds (the low five chunk flag bits) and the display's primitive types.
enum DPrimitive : int {
    kPrimitivePoints = 0, kPrimitiveLineList = 1, kPrimitiveLineStrip = 2,
    kPrimitiveTriangleList = 3, kPrimitiveTriangleStrip = 4, kPrimitiveTriangleFan = 5,
};

struct ChunkHint {
    enum Flags : uint8_t {
        kSoftwareLighting = 1 << 0,
        kSkinned = 1 << 1,
        kSoftwareSkinning = 1 << 2,
        kFloatWeights = 1 << 3,
    };
    int32_t kind = 0;
    int32_t value = 0;
    float meshValue = 0;           // the mesh file's per-chunk hint value
    int32_t vertexBufferMode = 2;  // 1: dynamic
    int32_t indexBufferMode = 2;   // 1: dynamic
    uint32_t standardWord = 0;     // bit 0: a standard hint
    uint8_t flags = 0;
    int32_t weightsPerVertex = 0;
    int32_t matricesPerChunk = 0;
    int32_t texCoordSets = 1;
    ResourceDatabase* database = nullptr;

    bool IsStandard() const { return (standardWord & 1) != 0; }
    // Skinned with the weights in the vertices the display draws (bit 1 without bit 2).
    bool IsSkinnedOnDisplay() const {
        return (flags & kSkinned) != 0 && (flags & kSoftwareSkinning) == 0;
    }
};

struct StandardChunkHint : ChunkHint {
    StandardChunkHint(int32_t hintKind = 0, int32_t hintValue = 0) {
        kind = hintKind;
        value = hintValue;
        standardWord = 1;
    }
};

class GeometryChunk : public ReferenceCount {
public:
    // Chunk flags besides the primitive kind.
    static constexpr uint32_t kPrimitiveKindMask = 0x1F;
    static constexpr uint32_t kNotSkinnedOnDisplay = 0x40;
    static constexpr uint32_t kSoftwareSkinned = 0x1000;

    // counts: vertices, faces (the primitive count), indices, face normals.
    GeometryChunk(int vertices, int faces, int indices, int faceNormals, uint32_t flags,
                  const ChunkHint& hint, const std::vector<int>& itemKinds);
    ~GeometryChunk() override;
    // A private copy of every array, count, property and matrix slot (one reference).
    GeometryChunk* Clone() const { return new GeometryChunk(*this); }

    // The display's primitive type of a primitive kind; -1 for another kind.
    static int primitiveLookup(uint32_t kind);
    // The kind bit of a geometry type (5, 3, 4, 0, 1, 2 -> 0, 1, 2, 4, 8, 16); 4 otherwise.
    static uint32_t KindOfGeometryType(int geometryType);

    uint32_t GetFlags() const { return flags_; }
    uint32_t GetPrimitiveKind() const { return flags_ & kPrimitiveKindMask; }
    const ChunkHint& GetHint() const { return hint_; }
    int GetVertexCount() const { return vertexCount_; }
    // The vertices the arrays were made for; the drawn count never exceeds it.
    int GetVertexCapacity() const { return vertexCapacity_; }
    // Detail changes: the vertices and faces drawn (vertices clamped to 0..capacity, faces
    // to 0 and above); the arrays keep their size.
    void SetDrawnCounts(int vertices, int faces);
    // Appends source's vertices after this chunk's and its faces (indices shifted by the
    // former vertex count). Refused when the item kinds differ, either chunk is drawn
    // below its arrays, or the vertices would pass 65536 (the 16-bit indices would wrap).
    bool AppendGeometry(Display* display, const GeometryChunk& source);
    int GetPrimitiveCount() const { return faceCount_; }
    int GetIndexCount() const { return static_cast<int>(indices_.size()); }
    uint16_t* GetIndices() { return indices_.empty() ? nullptr : indices_.data(); }
    const uint16_t* GetIndices() const { return indices_.empty() ? nullptr : indices_.data(); }
    Vector3* GetFaceNormals() { return faceNormals_.empty() ? nullptr : faceNormals_.data(); }
    size_t GetFaceNormalCount() const { return faceNormals_.size(); }
    // Per-vertex normals kept beside the vertices (the Nml form); null in other chunks.
    Vector3* GetSideNormals() { return sideNormals_.empty() ? nullptr : sideNormals_.data(); }

    const std::vector<int>& GetItemKinds() const { return itemKinds_; }
    bool HasItem(int kind) const;
    // The sum of the item sizes.
    int GetStride() const;
    // A float item's array (components per vertex: size / 4) or a word item's; null when
    // the chunk has no such item.
    float* GetFloatItem(int kind);
    uint32_t* GetWordItem(int kind);
    // Position of vertex i; (0,0,0) out of range or without positions.
    Vector3 GetPosition(int i) const;

    // Sharing and buffer calls, kept as text ("SetVertexDataShared 0 -3 0").
    void SetVertexDataDynamic(int stream, int value, bool flag);
    void SetVertexDataShared(int stream, int value, bool flag);
    void SetIndexDataDynamic();
    void SetVertexType(const VertexType* type, int stream);
    const VertexType* GetVertexType() const { return vertexType_; }
    const std::vector<std::string>& GetSharingCalls() const { return sharingCalls_; }

    // Named float properties.
    void AddChunkProperty(const std::string& name);
    void SetChunkProperty(const std::string& name, float value);
    bool HasChunkProperty(const std::string& name) const { return properties_.count(name) != 0; }
    // 0 when absent.
    float GetChunkProperty(const std::string& name) const;

    float GetOpacity() const { return opacity_; }
    void SetOpacity(float opacity) { opacity_ = opacity; }
    // The vertex program of a stream (one reference held); may be null.
    VertexProgram* GetVertexProgram(int stream) const { return stream == 0 ? vertexProgram_ : nullptr; }
    void SetVertexProgram(VertexProgram* program);

    // The three neighbouring faces of each face (as mesh files store them).
    using FaceNeighbors = std::array<uint32_t, 3>;
    void SetFaceNeighbors(std::vector<FaceNeighbors> neighbors) { faceNeighbors_ = std::move(neighbors); }
    const std::vector<FaceNeighbors>& GetFaceNeighbors() const { return faceNeighbors_; }

    // The chunk's slot of a bone's matrix: bone's position in the chunk's matrix list,
    // added last when new.
    int AddInfluenceMatrix(int bone);
    const std::vector<int>& GetInfluenceMatrices() const { return influenceMatrices_; }
    // Empties the matrix list and its slots.
    void ResetMatrixArray() {
        influenceMatrices_.clear();
        influenceMatrixSlots_.clear();
    }
    // The index stream must be sent to the display again; counted.
    void MarkIndicesForUpload() { ++indexUploads_; }
    int GetIndexUploadCount() const { return indexUploads_; }
    // Points matrix slot i at a bone matrix the skinning keeps (not owned); the display
    // reads it when the chunk is drawn.
    void AssignInfluenceMatrix(int slot, const Matrix4* matrix);
    // The matrix slot i points at; null when none.
    const Matrix4* GetAssignedInfluenceMatrix(int slot) const;

    // False when the display refuses the buffers.
    bool CreateDisplayBuffers(Display* display, bool flag);
    // Record "Draw <program> <kind> <primitives>" and
    // "DrawPrimitives <program> <type> <indices> <primitives>".
    void RenderGeometry(Display& display, Viewport* viewport, const VertexProgram* program,
                        bool flag, int value) const;
    void RenderPrimitives(Display& display, Viewport* viewport, const VertexProgram* program,
                          int indexCount, const uint16_t* indices, int primitiveCount,
                          int primitiveType) const;

protected:
    GeometryChunk(const GeometryChunk& other);
    void KeepSideNormals() { sideNormals_.resize(vertexCount_); }

private:
    struct Item {
        std::vector<float> floats;
        std::vector<uint32_t> words;
    };

    int vertexCount_;
    int vertexCapacity_;
    int faceCount_;
    uint32_t flags_;
    ChunkHint hint_;
    std::vector<int> itemKinds_;
    std::map<int, Item> items_;
    std::vector<uint16_t> indices_;
    std::vector<Vector3> faceNormals_;
    std::vector<Vector3> sideNormals_;
    std::vector<int> influenceMatrices_;
    std::vector<const Matrix4*> influenceMatrixSlots_;
    std::vector<FaceNeighbors> faceNeighbors_;
    std::vector<std::string> sharingCalls_;
    std::map<std::string, float> properties_;
    const VertexType* vertexType_ = nullptr;
    VertexProgram* vertexProgram_ = nullptr;
    float opacity_ = 1.0f;
    int indexUploads_ = 0;
};

// Vertex layouts a material asks for, by their items.
struct PackedVertexPNTA {
    static std::vector<int> Items() { return {kItemPosition, kItemNormal, kItemTexCoord0, kItemTangent}; }
};
struct PackedVertexPNT {
    static std::vector<int> Items() { return {kItemPosition, kItemNormal, kItemTexCoord0}; }
};
struct PackedVertexPCT {
    static std::vector<int> Items() { return {kItemPosition, kItemColor, kItemTexCoord0}; }
};
// All items in one stream (the only arrangement of this display).
struct GeometryChunkSingleStream {};

// The layout's items, plus the skinning items a hint skinned on the display asks for:
// the float weights of its weight count (bit 3) or the packed weights, then the indices.
std::vector<int> ChunkItemsFor(std::vector<int> layout, const ChunkHint& hint);

template <typename Vertex, typename Stream>
class GeometryChunkTemplate : public GeometryChunk {
public:
    GeometryChunkTemplate(int vertices, int faces, int indices, int faceNormals, uint32_t flags,
                          const ChunkHint& hint)
        : GeometryChunk(vertices, faces, indices, faceNormals, flags, hint,
                        ChunkItemsFor(Vertex::Items(), hint)) {}
};

// The same, with per-vertex normals kept beside the vertices.
template <typename Vertex, typename Stream>
class GeometryChunkNmlTemplate : public GeometryChunk {
public:
    GeometryChunkNmlTemplate(int vertices, int faces, int indices, int faceNormals,
                             uint32_t flags, const ChunkHint& hint)
        : GeometryChunk(vertices, faces, indices, faceNormals, flags, hint,
                        ChunkItemsFor(Vertex::Items(), hint)) {
        KeepSideNormals();
    }
};

// A vertex layout the display registers: items per stream, an item may name its source.
class VertexType {
public:
    struct Item {
        int stream;
        int kind;
        int source;  // 0: none
        std::string name;
    };

    VertexType(int id, int streams) : id_(id), streams_(streams) {}
    int GetId() const { return id_; }
    int GetStreamCount() const { return streams_; }
    void CreateItems(int stream, int capacity);
    void AddItem(int stream, int kind);
    void AddItem(int stream, int kind, int source, const std::string& name);
    const std::vector<Item>& GetItems() const { return items_; }

private:
    int id_;
    int streams_;
    std::vector<Item> items_;
};

}  // namespace Kiv
