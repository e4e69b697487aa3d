// A definition's collision tree: built by a worker job over every complete index triple of
// every chunk, taken in when the job completes on the polling thread. A request the full
// queue refuses is deleted at once, so no one polls a job that will never run.
#include "content3d/mesh/collision_geometry.h"
#include "content3d/mesh/indexed_mesh_definition.h"

namespace Kiv {

bool CollisionGeometrySharingInterface::GetTriangle(uint32_t id, std::array<Vector3, 3>& corners) const {
    GeometryChunk* chunk = definition_.GetChunk(id >> 16);
    const uint32_t position = id & 0xFFFF;
    if (!chunk || !chunk->GetIndices() || size_t{position} + 3 > static_cast<size_t>(chunk->GetIndexCount())) {
        return false;
    }
    for (uint32_t k = 0; k < 3; ++k) {
        const int vertex = chunk->GetIndices()[position + k];
        if (vertex >= chunk->GetVertexCount()) return false;
        corners[k] = chunk->GetPosition(vertex);
    }
    return true;
}

bool KodrinIndexedMeshDefinition::BuildCollisionTree(void* userData, Overlapped& handle) {
    auto& definition = *static_cast<KodrinIndexedMeshDefinition*>(userData);
    auto tree = std::make_unique<QXAxisBoxTree>();
    tree->SetExternalGeometry(definition.collisionGeometry_.get());
    for (uint32_t c = 0; c < definition.chunks_.size(); ++c) {
        GeometryChunk* chunk = definition.chunks_[c];
        const uint16_t* indices = chunk->GetIndices();
        if (!indices || !chunk->HasItem(kItemPosition)) continue;
        for (int p = 0; p + 2 < chunk->GetIndexCount() && p <= 0xFFFF; p += 3) {
            tree->AddTriangle(chunk->GetPosition(indices[p]), chunk->GetPosition(indices[p + 1]),
                              chunk->GetPosition(indices[p + 2]), static_cast<uint32_t>(p) | c << 16);
        }
    }
    tree->Build();
    handle.result = tree.release();
    return true;
}

bool KodrinIndexedMeshDefinition::TakeCollisionTree(void* userData, Overlapped& handle) {
    auto& definition = *static_cast<KodrinIndexedMeshDefinition*>(userData);
    definition.collisionTree_.reset(static_cast<QXAxisBoxTree*>(handle.result));
    handle.result = nullptr;
    return true;
}

void KodrinIndexedMeshDefinition::RequestCollisionTree() {
    OverlappedResourceSystem* system = OverlappedResourceSystem::Get();
    if (collisionTree_ || collisionRequest_ || !system) return;
    if (!collisionGeometry_) collisionGeometry_ = std::make_unique<CollisionGeometrySharingInterface>(*this);
    collisionRequest_ = std::make_unique<OverlappedResourceCallback>(std::string(fileName_.View()), this,
                                                                     &BuildCollisionTree, &TakeCollisionTree);
    if (!system->Queue(*collisionRequest_)) collisionRequest_.reset();
}

QXAxisBoxTree* KodrinIndexedMeshDefinition::GetCollisionTree() {
    if (!collisionTree_ && !collisionRequest_) RequestCollisionTree();
    if (collisionRequest_) {
        OverlappedResourceSystem* system = OverlappedResourceSystem::Get();
        if (system) system->Poll(*collisionRequest_);
        const int state = collisionRequest_->GetState();
        if (!system || state == OverlappedResource::kIdle || state == OverlappedResource::kCompleted) {
            collisionRequest_.reset();
        }
    }
    return collisionTree_.get();
}

void KodrinIndexedMeshDefinition::CancelCollisionRequest() {
    if (!collisionRequest_) return;
    if (OverlappedResourceSystem* system = OverlappedResourceSystem::Get()) system->Cancel(*collisionRequest_);
    collisionRequest_.reset();
}

}  // namespace Kiv
