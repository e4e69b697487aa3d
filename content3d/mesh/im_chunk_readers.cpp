// The ".im" chunks around the geometry: INFO, CHNK, NINF, ATCH, INFL and SKEL with its
// BONE tree. Counts from the file are checked against the bytes left before anything is
// sized by them; influence groups name chunks by their position in the file and are mapped
// to the kept positions here, so a dropped chunk never shifts weights onto another one.
#include <cstring>

#include "content3d/mesh/indexed_mesh_definition.h"
#include "content3d/mesh/mesh_chunk_header.h"
#include "content3d/mesh/mesh_file_values.h"

namespace Kiv {

namespace {

// Smallest bytes of one record, for bounding counts.
constexpr uint64_t kMinInfluenceBytes = 4 + 4 + 12 + 36 + 4;
constexpr uint64_t kMinGroupBytes = 8;
constexpr uint64_t kEntryBytes = 20;
constexpr uint64_t kMinAttachmentBytes = 4 + 36 + 12;
constexpr uint64_t kMinBoneBytes = 12 + 4 + 12 + 16 + 4;
constexpr uint64_t kChunkHeaderBytes = 12;

}  // namespace

int KodrinIndexedMeshDefinition::ReadInfo() {
    MeshChunkHeader header;
    if (!header.Read(file_, "INFO")) return RES_FILE_FORMAT_ERROR;
    if (header.version < 100 || header.version > 104) return RES_FILE_VERSION_ERROR;
    position_ = ReadVector3(file_);
    orientation_ = ReadQuaternion(file_);
    chunkCount_ = file_.U32();
    if (header.version >= 102) {
        maxWeightsPerVertex_ = file_.U32();
        maxBonesPerChunk_ = file_.U32();
    }
    if (header.version == 104) file_.Bytes(6 * 4);
    if (!file_.Fits(chunkCount_, kChunkHeaderBytes)) return RES_FILE_FORMAT_ERROR;
    chunks_.reserve(chunkCount_);
    materials_.reserve(chunkCount_);
    return CheckRead();
}

int KodrinIndexedMeshDefinition::ReadChunk(Display*, MaterialManager* manager,
                                           KodrinGeometryBaseResource* resource, uint32_t position,
                                           uint32_t defaultColour) {
    MeshChunkHeader header;
    if (!header.Read(file_, "CHNK")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    if (header.end > file_.Size()) return RES_FILE_FORMAT_ERROR;
    file_.U32();
    int result = ReadMaterial(manager, resource, position);
    if (result == RES_OK) result = ReadGeometry(resource, position, defaultColour);
    if (result != RES_OK) return result;
    if (file_.Position() < header.end && file_.PeekTag("NINF")) return ReadNeighbours(position, header.end);
    return CheckRead();
}

int KodrinIndexedMeshDefinition::ReadNeighbours(uint32_t position, uint32_t) {
    MeshChunkHeader header;
    if (!header.Read(file_, "NINF")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    GeometryChunk* chunk = chunks_[position];
    const uint32_t faces = static_cast<uint32_t>(chunk->GetPrimitiveCount());
    if (!file_.Fits(faces, 12)) return RES_FILE_FORMAT_ERROR;
    std::vector<GeometryChunk::FaceNeighbors> neighbors(faces);
    for (GeometryChunk::FaceNeighbors& face : neighbors) {
        for (uint32_t& neighbour : face) neighbour = file_.U32();
    }
    chunk->SetFaceNeighbors(std::move(neighbors));
    return CheckRead();
}

int KodrinIndexedMeshDefinition::ReadAttachments() {
    MeshChunkHeader header;
    if (!header.Read(file_, "ATCH")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    const uint32_t count = file_.U32();
    if (!file_.Fits(count, kMinAttachmentBytes)) return RES_FILE_FORMAT_ERROR;
    std::vector<MeshAttachment> attachments(count);
    for (MeshAttachment& attachment : attachments) {
        attachment.name = ReadPaddedString(file_);
        attachment.rotation = ReadMatrix3(file_);
        attachment.position = ReadVector3(file_);
    }
    if (file_.Failed()) return RES_FILE_FORMAT_ERROR;
    attachments_ = std::move(attachments);
    return RES_OK;
}

int KodrinIndexedMeshDefinition::ReadInfluences() {
    MeshChunkHeader header;
    if (header.Read(file_, "SKEL")) {
        if (header.version != 100) return RES_FILE_VERSION_ERROR;
        ParticleBone::DeleteTree(skeletonRoot_);
        skeletonRoot_ = nullptr;
        return ReadBone(nullptr, 0);
    }
    if (!header.Read(file_, "INFL")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 100) return RES_FILE_VERSION_ERROR;
    uint32_t count = file_.U32();
    if (count >= kMaxInfluences) count = 0;
    if (!file_.Fits(count, kMinInfluenceBytes)) return RES_FILE_FORMAT_ERROR;
    std::vector<InfluenceDefinition> influences(count);
    for (InfluenceDefinition& influence : influences) {
        const int result = ReadInfluence(influence);
        if (result != RES_OK) return result;
    }
    influences_ = std::move(influences);
    return file_.Position() == header.end ? RES_OK : RES_FILE_FORMAT_ERROR;
}

int KodrinIndexedMeshDefinition::ReadInfluence(InfluenceDefinition& influence) {
    influence.name = ReadPaddedString(file_);
    influence.parentName = ReadPaddedString(file_);
    influence.bindPosition = ReadVector3(file_);
    influence.bindRotation = ReadMatrix3(file_);
    const uint32_t groups = file_.U32();
    if (!file_.Fits(groups, kMinGroupBytes)) return RES_FILE_FORMAT_ERROR;
    for (uint32_t g = 0; g < groups; ++g) {
        const uint32_t filePosition = file_.U32();
        const uint32_t entries = file_.U32();
        if (!file_.Fits(entries, kEntryBytes)) return RES_FILE_FORMAT_ERROR;
        const bool kept = filePosition < keptPositions_.size() && keptPositions_[filePosition] >= 0;
        InfluenceGroup group;
        group.chunkIndex = kept ? static_cast<uint32_t>(keptPositions_[filePosition]) : 0;
        const uint32_t vertices = kept ? static_cast<uint32_t>(GetChunkVertexCount(group.chunkIndex)) : 0;
        const std::span<const uint8_t> block = file_.Bytes(size_t{entries} * kEntryBytes);
        group.entries.reserve(entries);
        for (size_t at = 0; at < block.size(); at += kEntryBytes) {
            uint32_t vertex;
            std::memcpy(&vertex, &block[at], 4);
            if (vertex >= vertices) continue;
            // Filled in place: an entry put together aside and copied in stalls each store.
            InfluenceEntry& entry = group.entries.emplace_back();
            entry.vertex = vertex;
            std::memcpy(&entry.weight, &block[at + 4], 4);
            std::memcpy(&entry.offset, &block[at + 8], 12);
        }
        if (!group.entries.empty()) influence.groups.push_back(std::move(group));
    }
    return CheckRead();
}

int KodrinIndexedMeshDefinition::ReadBone(ParticleBone* parent, int depth) {
    if (depth >= kMaxBoneDepth) return RES_FILE_FORMAT_ERROR;
    MeshChunkHeader header;
    if (!header.Read(file_, "BONE")) return RES_FILE_FORMAT_ERROR;
    const uint32_t v = header.version;
    if (v != 1 && v != 20 && v != 50 && v != 100 && v != 102) return RES_FILE_VERSION_ERROR;
    auto* bone = new ParticleBone(ReadPaddedString(file_));
    const Vector3 position = ReadVector3(file_);
    bone->SetRest(position, ReadQuaternion(file_));
    bone->boxMin = {-0.01f, -0.01f, -0.01f};
    bone->boxMax = {0.01f, 0.01f, 0.01f};
    if (parent) {
        parent->AddChild(bone);
    } else {
        skeletonRoot_ = bone;
    }
    const uint32_t children = file_.U32();
    if (!file_.Fits(children, kMinBoneBytes)) return RES_FILE_FORMAT_ERROR;
    for (uint32_t c = 0; c < children; ++c) {
        const int result = ReadBone(bone, depth + 1);
        if (result != RES_OK) return result;
    }
    return CheckRead();
}

}  // namespace Kiv
