// The indexed mesh definition's life: construction, opening and loading an ".im" file as a
// whole, load completion, the data-size estimate and the per-chunk accessors. The chunk
// readers are in im_chunk_readers.cpp, im_geometry_reader.cpp and im_material_reader.cpp.
#include "content3d/mesh/indexed_mesh_definition.h"

#include <algorithm>

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/mesh_paths.h"
#include "engine/display.h"
#include "engine/resource_database.h"

namespace Kiv {

KodrinIndexedMeshDefinition::KodrinIndexedMeshDefinition(const MeshLoaderSettings& settings)
    : loaderSettings_(settings) {}

KodrinIndexedMeshDefinition::~KodrinIndexedMeshDefinition() {
    CancelCollisionRequest();
    for (GeometryChunk* chunk : chunks_) chunk->ReleaseReference();
    for (Material* material : materials_) material->ReleaseReference();
    for (MeshMaterialEntry* entry : materialEntries_) {
        if (entry->material) entry->material->ReleaseReference();
        delete entry;
    }
    ParticleBone::DeleteTree(skeletonRoot_);
}

int KodrinIndexedMeshDefinition::OpenFile(KodrinGeometryBaseResource& resource, const char* name) {
    ResourceDatabase* database = resource.GetDatabase();
    if (!database) return RES_FILE_OPEN_ERROR;
    fileName_ = PString(database->GetFileName(name).c_str());
    FileBytes bytes;
    if (!database->ReadFile(name, bytes)) return RES_FILE_OPEN_ERROR;
    file_.Open(std::move(bytes));
    return RES_OK;
}

int KodrinIndexedMeshDefinition::ReadHeader(uint32_t& endOffset) {
    if (!file_.ReadTag("KIRF")) return RES_FILE_FORMAT_ERROR;
    const uint32_t size = file_.U32();
    if (file_.Failed() || size > file_.Remaining()) return RES_FILE_FORMAT_ERROR;
    endOffset = static_cast<uint32_t>(file_.Position() + size);
    if (!file_.ReadTag("IDXM")) return RES_FILE_FORMAT_ERROR;
    return ReadInfo();
}

int KodrinIndexedMeshDefinition::LoadBinary(Display* display, MaterialManager* manager,
                                             KodrinGeometryBaseResource* resource, const char*,
                                             uint32_t defaultColour) {
    if (!manager) return RES_NO_MATERIAL_MANAGER;
    displaySkinningCapable_ = display && display->HasCapability(29);
    if (displaySkinningCapable_) bonesPerChunkLimit_ = 24;
    if (!file_.HasData()) return RES_FILE_OPEN_ERROR;
    uint32_t end = 0;
    int result = ReadHeader(end);
    if (result == RES_OK) result = ReadChunks(display, manager, resource, defaultColour);
    if (result != RES_OK) return result;
    if (file_.Position() < end) ReadInfluences();
    if (file_.Position() < end) ReadAttachments();
    CountTotals();
    if (file_.Failed() || file_.Position() != end) return RES_FILE_FORMAT_ERROR;
    BuildSkeletonFromInfluences();
    BuildInfluenceStreams();
    ComputeBounds();
    ComputeTextureDensity();
    ComputeOrientedBox();
    file_.Close();
    return RES_OK;
}

int KodrinIndexedMeshDefinition::ReadChunks(Display* display, MaterialManager* manager,
                                            KodrinGeometryBaseResource* resource,
                                            uint32_t defaultColour) {
    const uint32_t fileChunks = chunkCount_;
    chunkCount_ = 0;
    for (uint32_t i = 0; i < fileChunks; ++i) {
        const int result = ReadChunk(display, manager, resource, chunkCount_, defaultColour);
        if (result != RES_OK) return result;
        GeometryChunk* chunk = chunks_.back();
        const bool empty = chunk->GetVertexCount() == 0 || chunk->GetPrimitiveCount() == 0 ||
                           chunk->GetIndexCount() == 0;
        keptPositions_.push_back(empty ? -1 : static_cast<int32_t>(chunkCount_));
        if (empty) {
            DropLastChunk();
        } else {
            ++chunkCount_;
        }
    }
    return RES_OK;
}

void KodrinIndexedMeshDefinition::KeepChunk(uint32_t position, GeometryChunk* chunk) {
    if (position < chunks_.size()) {
        chunks_[position]->ReleaseReference();
        chunks_[position] = chunk;
        return;
    }
    chunks_.push_back(chunk);
}

void KodrinIndexedMeshDefinition::DropLastChunk() {
    if (chunks_.size() > chunkCount_) {
        chunks_.back()->ReleaseReference();
        chunks_.pop_back();
    }
    if (materials_.size() > chunkCount_) {
        materials_.back()->ReleaseReference();
        materials_.pop_back();
    }
    if (chunkMaterialNames_.size() > chunkCount_) chunkMaterialNames_.pop_back();
}

void KodrinIndexedMeshDefinition::CountTotals() {
    vertexTotal_ = 0;
    faceTotal_ = 0;
    for (const GeometryChunk* chunk : chunks_) {
        vertexTotal_ += static_cast<uint32_t>(chunk->GetVertexCount());
        faceTotal_ += static_cast<uint32_t>(chunk->GetPrimitiveCount());
    }
}

void KodrinIndexedMeshDefinition::DecideHardwareSkinning() {
    if (maxWeightsPerVertex_ > 0 && maxWeightsPerVertex_ <= maxHardwareWeights_ &&
        maxBonesPerChunk_ <= bonesPerChunkLimit_ && displaySkinningCapable_ &&
        !loaderSettings_.softwareAnimation.IsSet()) {
        hardwareSkinning_ = true;
    }
}

void KodrinIndexedMeshDefinition::AssignDeferredTextures() {
    for (MeshMaterialEntry* entry : materialEntries_) {
        ResourceDatabase* database = entry->resource ? entry->resource->GetDatabase() : nullptr;
        for (const TextureDef& texture : entry->textures) {
            const PString path = PlaceInResourceFolder(entry->resource, texture.file);
            const int result = entry->material->SetTexture(static_cast<int>(texture.slot), database,
                                                           path, texture.amount);
            const bool excused = result == 2 && (entry->material->flags & (1u << 3)) != 0;
            if (result != 0 && !excused) failedTextures_.push_back(texture);
        }
        entry->material->ReleaseReference();
        delete entry;
    }
    materialEntries_.clear();
}

int KodrinIndexedMeshDefinition::PrepareChunks(Display* display) {
    if (!display) return RES_OK;
    int result = RES_OK;
    for (GeometryChunk* chunk : chunks_) {
        if (!chunk->CreateDisplayBuffers(display, true)) result = RES_FILE_DATA_ERROR;
    }
    return result;
}

size_t KodrinIndexedMeshDefinition::CalculateDataSize() const {
    size_t size = 252 + 300 * influences_.size() + 52 * attachments_.size();
    for (const GeometryChunk* chunk : chunks_) {
        size += static_cast<size_t>(chunk->GetStride()) * static_cast<size_t>(chunk->GetVertexCount()) +
                2 * static_cast<size_t>(chunk->GetIndexCount());
    }
    return size;
}

PString KodrinIndexedMeshDefinition::GetChunkMaterialName(uint32_t i) const {
    if (i >= chunkCount_ || i >= chunkMaterialNames_.size()) return PString();
    return chunkMaterialNames_[i];
}

int KodrinIndexedMeshDefinition::GetChunkVertexCount(uint32_t i) const {
    const GeometryChunk* chunk = GetChunk(i);
    return chunk ? chunk->GetVertexCount() : 0;
}

int KodrinIndexedMeshDefinition::GetChunkIndexCount(uint32_t i) const {
    const GeometryChunk* chunk = GetChunk(i);
    return chunk ? chunk->GetIndexCount() : 0;
}

uint32_t KodrinIndexedMeshDefinition::GetChunkType(uint32_t i) const {
    const GeometryChunk* chunk = GetChunk(i);
    return chunk ? chunk->GetPrimitiveKind() : 0;
}

int KodrinIndexedMeshDefinition::GetChunkTexCoordSetCount(uint32_t i) const {
    const GeometryChunk* chunk = GetChunk(i);
    if (!chunk) return 0;
    int sets = 0;
    for (int kind = kItemTexCoord0; kind <= kItemTexCoord7; ++kind) sets += chunk->HasItem(kind) ? 1 : 0;
    return sets;
}

int KodrinIndexedMeshDefinition::GetChunkMaxVertexInfluences(uint32_t i) const {
    const int vertices = GetChunkVertexCount(i);
    if (vertices == 0 || influences_.empty()) return 0;
    std::vector<int> counts(static_cast<size_t>(vertices), 0);
    int most = 0;
    for (const InfluenceDefinition& influence : influences_) {
        for (const InfluenceGroup& group : influence.groups) {
            if (group.chunkIndex != i) continue;
            for (const InfluenceEntry& entry : group.entries) {
                if (entry.vertex < counts.size()) most = std::max(most, ++counts[entry.vertex]);
            }
        }
    }
    return most;
}

}  // namespace Kiv
