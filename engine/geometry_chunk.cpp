// Geometry chunks: item arrays, sharing calls, properties and recorded drawing.
#include "engine/geometry_chunk.h"

#include <algorithm>

#include "engine/display.h"
#include "engine/vertex_program.h"

namespace Kiv {

namespace {

int NonNegative(int count) {
    return std::max(count, 0);
}

const char* ProgramName(const VertexProgram* program) {
    return program ? program->GetName().c_str() : "-";
}

// geometry type -> primitive kind bit.
constexpr struct {
    int geometryType;
    uint32_t kind;
} kGeometryKinds[] = {{5, 0}, {3, 1}, {4, 2}, {0, 4}, {1, 8}, {2, 16}};

// primitive kind bit -> display primitive type.
constexpr struct {
    uint32_t kind;
    int primitive;
} kPrimitiveTypes[] = {{0, kPrimitivePoints},        {1, kPrimitiveLineList},
                       {2, kPrimitiveLineStrip},     {4, kPrimitiveTriangleList},
                       {8, kPrimitiveTriangleStrip}, {16, kPrimitiveTriangleFan}};

}  // namespace

int VertexItemSize(int kind) {
    if (kind == kItemPosition || kind == kItemNormal || kind == kItemTangent) return 12;
    if (kind >= kItemWeights1 && kind <= kItemWeights4) return 4 * (kind - kItemWeights1 + 1);
    if (kind == kItemColor || kind == kItemColor2 || kind == kItemPackedWeights || kind == kItemPackedIndices) return 4;
    if (kind >= kItemTexCoord0 && kind <= kItemTexCoord7) return 8;
    return 0;
}

bool IsWordItem(int kind) {
    return kind == kItemColor || kind == kItemColor2 || kind == kItemPackedWeights || kind == kItemPackedIndices;
}

std::vector<int> ChunkItemsFor(std::vector<int> layout, const ChunkHint& hint) {
    if (!hint.IsSkinnedOnDisplay()) return layout;
    const bool floatWeights = (hint.flags & ChunkHint::kFloatWeights) != 0;
    const int weights = std::clamp(hint.weightsPerVertex, 1, 4);
    layout.push_back(floatWeights ? kItemWeights1 + weights - 1 : int{kItemPackedWeights});
    layout.push_back(kItemPackedIndices);
    return layout;
}

GeometryChunk::GeometryChunk(int vertices, int faces, int indices, int faceNormals,
                             uint32_t flags, const ChunkHint& hint,
                             const std::vector<int>& itemKinds)
    : vertexCount_(NonNegative(vertices)), vertexCapacity_(vertexCount_), faceCount_(NonNegative(faces)), flags_(flags),
      hint_(hint), itemKinds_(itemKinds), indices_(NonNegative(indices)),
      faceNormals_(NonNegative(faceNormals)) {
    for (int kind : itemKinds_) {
        Item& item = items_[kind];
        if (IsWordItem(kind)) {
            item.words.resize(static_cast<size_t>(vertexCount_));
        } else {
            item.floats.resize(static_cast<size_t>(vertexCount_) * VertexItemSize(kind) / 4);
        }
    }
}

GeometryChunk::GeometryChunk(const GeometryChunk& other)
    : ReferenceCount(), vertexCount_(other.vertexCount_), vertexCapacity_(other.vertexCapacity_),
      faceCount_(other.faceCount_), flags_(other.flags_), hint_(other.hint_), itemKinds_(other.itemKinds_),
      items_(other.items_), indices_(other.indices_), faceNormals_(other.faceNormals_),
      sideNormals_(other.sideNormals_), influenceMatrices_(other.influenceMatrices_),
      influenceMatrixSlots_(other.influenceMatrixSlots_), faceNeighbors_(other.faceNeighbors_),
      sharingCalls_(other.sharingCalls_), properties_(other.properties_), vertexType_(other.vertexType_),
      opacity_(other.opacity_), indexUploads_(other.indexUploads_) {
    SetVertexProgram(other.vertexProgram_);
}

void GeometryChunk::SetDrawnCounts(int vertices, int faces) {
    vertexCount_ = vertices < 0 ? 0 : (vertices > vertexCapacity_ ? vertexCapacity_ : vertices);
    faceCount_ = NonNegative(faces);
}

bool GeometryChunk::AppendGeometry(Display*, const GeometryChunk& source) {
    const int64_t total = int64_t{vertexCount_} + source.vertexCount_;
    if (source.itemKinds_ != itemKinds_ || total > 65536 || vertexCount_ != vertexCapacity_ ||
        source.vertexCount_ != source.vertexCapacity_) {
        return false;
    }
    for (auto& [kind, item] : items_) {
        const Item& added = source.items_.at(kind);
        item.floats.insert(item.floats.end(), added.floats.begin(), added.floats.end());
        item.words.insert(item.words.end(), added.words.begin(), added.words.end());
    }
    for (uint16_t index : source.indices_) indices_.push_back(static_cast<uint16_t>(index + vertexCount_));
    faceNormals_.insert(faceNormals_.end(), source.faceNormals_.begin(), source.faceNormals_.end());
    if (!sideNormals_.empty()) sideNormals_.resize(static_cast<size_t>(total));
    vertexCount_ = vertexCapacity_ = static_cast<int>(total);
    faceCount_ += source.faceCount_;
    return true;
}

GeometryChunk::~GeometryChunk() {
    if (vertexProgram_) vertexProgram_->ReleaseReference();
}

int GeometryChunk::primitiveLookup(uint32_t kind) {
    for (const auto& entry : kPrimitiveTypes) {
        if (entry.kind == kind) return entry.primitive;
    }
    return -1;
}

uint32_t GeometryChunk::KindOfGeometryType(int geometryType) {
    for (const auto& entry : kGeometryKinds) {
        if (entry.geometryType == geometryType) return entry.kind;
    }
    return 4;
}

bool GeometryChunk::HasItem(int kind) const {
    return items_.count(kind) != 0;
}

int GeometryChunk::GetStride() const {
    int stride = 0;
    for (int kind : itemKinds_) stride += VertexItemSize(kind);
    return stride;
}

float* GeometryChunk::GetFloatItem(int kind) {
    auto found = items_.find(kind);
    if (found == items_.end() || IsWordItem(kind) || found->second.floats.empty()) return nullptr;
    return found->second.floats.data();
}

uint32_t* GeometryChunk::GetWordItem(int kind) {
    auto found = items_.find(kind);
    if (found == items_.end() || !IsWordItem(kind) || found->second.words.empty()) return nullptr;
    return found->second.words.data();
}

Vector3 GeometryChunk::GetPosition(int i) const {
    const auto found = items_.find(kItemPosition);
    if (found == items_.end() || i < 0 || i >= vertexCount_) return {};
    const float* p = found->second.floats.data() + 3 * static_cast<size_t>(i);
    return {p[0], p[1], p[2]};
}

void GeometryChunk::SetVertexDataDynamic(int stream, int value, bool flag) {
    sharingCalls_.push_back("SetVertexDataDynamic " + std::to_string(stream) + " " +
                            std::to_string(value) + " " + std::to_string(flag));
}

void GeometryChunk::SetVertexDataShared(int stream, int value, bool flag) {
    sharingCalls_.push_back("SetVertexDataShared " + std::to_string(stream) + " " +
                            std::to_string(value) + " " + std::to_string(flag));
}

void GeometryChunk::SetIndexDataDynamic() {
    sharingCalls_.push_back("SetIndexDataDynamic");
}

void GeometryChunk::SetVertexType(const VertexType* type, int stream) {
    vertexType_ = type;
    sharingCalls_.push_back("SetVertexType " + std::to_string(type ? type->GetId() : -1) + " " +
                            std::to_string(stream));
}

void GeometryChunk::AddChunkProperty(const std::string& name) {
    properties_.emplace(name, 0.0f);
}

void GeometryChunk::SetChunkProperty(const std::string& name, float value) {
    properties_[name] = value;
}

float GeometryChunk::GetChunkProperty(const std::string& name) const {
    const auto found = properties_.find(name);
    return found == properties_.end() ? 0.0f : found->second;
}

void GeometryChunk::SetVertexProgram(VertexProgram* program) {
    if (program) program->AddReference();
    if (vertexProgram_) vertexProgram_->ReleaseReference();
    vertexProgram_ = program;
}

bool GeometryChunk::CreateDisplayBuffers(Display* display, bool) {
    return display && !display->GetChunkBufferFailure();
}

void GeometryChunk::RenderGeometry(Display& display, Viewport*, const VertexProgram* program,
                                   bool, int) const {
    display.Record("Draw %s %u %d", ProgramName(program), GetPrimitiveKind(), faceCount_);
}

void GeometryChunk::RenderPrimitives(Display& display, Viewport*, const VertexProgram* program,
                                     int indexCount, const uint16_t*, int primitiveCount,
                                     int primitiveType) const {
    display.Record("DrawPrimitives %s %d %d %d", ProgramName(program), primitiveType, indexCount,
                   primitiveCount);
}

void VertexType::CreateItems(int, int capacity) {
    items_.reserve(static_cast<size_t>(std::max(capacity, 0)));
}

void VertexType::AddItem(int stream, int kind) {
    items_.push_back({stream, kind, 0, ""});
}

void VertexType::AddItem(int stream, int kind, int source, const std::string& name) {
    items_.push_back({stream, kind, source, name});
}

int GeometryChunk::AddInfluenceMatrix(int bone) {
    for (size_t i = 0; i < influenceMatrices_.size(); ++i) {
        if (influenceMatrices_[i] == bone) return static_cast<int>(i);
    }
    influenceMatrices_.push_back(bone);
    return static_cast<int>(influenceMatrices_.size() - 1);
}

void GeometryChunk::AssignInfluenceMatrix(int slot, const Matrix4* matrix) {
    if (slot < 0) return;
    if (static_cast<size_t>(slot) >= influenceMatrixSlots_.size()) influenceMatrixSlots_.resize(static_cast<size_t>(slot) + 1);
    influenceMatrixSlots_[static_cast<size_t>(slot)] = matrix;
}

const Matrix4* GeometryChunk::GetAssignedInfluenceMatrix(int slot) const {
    return slot >= 0 && static_cast<size_t>(slot) < influenceMatrixSlots_.size() ? influenceMatrixSlots_[static_cast<size_t>(slot)]
                                                                                  : nullptr;
}

}  // namespace Kiv
