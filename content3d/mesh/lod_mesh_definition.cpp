// What both LOD mesh readers share: the level records, the influence copy from part
// meshes, the ":Cull" attachment markers, the level chunk set the base class exposes,
// load completion and the data size.
#include "content3d/mesh/lod_mesh_definition.h"

#include "engine/ascii.h"
#include "engine/display.h"
#include "engine/material.h"

namespace Kiv {

LODLevel::LODLevel(const LODLevel& other)
    : chunkCount(other.chunkCount), vertexCount(other.vertexCount), faceCount(other.faceCount),
      hardwareSkinned(other.hardwareSkinned), chunks(other.chunks), materials(other.materials),
      materialNames(other.materialNames), chunkBones(other.chunkBones) {
    for (GeometryChunk* chunk : chunks) chunk->AddReference();
    for (Material* material : materials) material->AddReference();
}

LODLevel::~LODLevel() {
    for (GeometryChunk* chunk : chunks) chunk->ReleaseReference();
    for (Material* material : materials) material->ReleaseReference();
}

KodrinIndexedMeshLODDefinition::KodrinIndexedMeshLODDefinition(const MeshLoaderSettings& settings)
    : KodrinIndexedMeshDefinition(settings) {}

KodrinIndexedMeshLODDefinition::~KodrinIndexedMeshLODDefinition() = default;

bool KodrinIndexedMeshLODDefinition::IsAttachmentCulled(const PString& name) const {
    for (const PString& culled : cullList_) {
        if (culled == name) return true;
    }
    return false;
}

void KodrinIndexedMeshLODDefinition::CopyPartInfluences(const std::vector<InfluenceDefinition>& influences) {
    for (LODBone& bone : boneTable_) {
        LODInfluenceList list;
        for (const InfluenceDefinition& influence : influences) {
            if (influence.name.View() != bone.name) continue;
            list.groups = influence.groups;
            break;
        }
        bone.levelInfluences.push_back(std::move(list));
    }
}

void KodrinIndexedMeshLODDefinition::KeepStoredMaterialName(const Material* material, const PString& requestName) {
    const std::string_view name = requestName.View();
    const size_t star = name.rfind('*');
    storedMaterialNames_.emplace_back(material, PString(star == std::string_view::npos ? name : name.substr(star + 1)));
}

PString KodrinIndexedMeshLODDefinition::StoredMaterialName(const Material* material) const {
    for (const auto& [known, name] : storedMaterialNames_) {
        if (known == material) return name;
    }
    return material->GetTypeName();
}

void KodrinIndexedMeshLODDefinition::ApplyCullMarkers() {
    constexpr std::string_view kMarker = ":cull";
    for (MeshAttachment& attachment : attachments_) {
        std::string lower(attachment.name.View());
        for (char& c : lower) c = Ascii::ToLower(c);
        const size_t at = lower.find(kMarker);
        if (at == std::string::npos) continue;
        std::string name(attachment.name.View());
        name.erase(at, kMarker.size());
        attachment.name = PString(name);
        cullList_.push_back(attachment.name);
    }
}

void KodrinIndexedMeshLODDefinition::TakeLevelChunkSet(uint32_t index) {
    for (GeometryChunk* chunk : chunks_) chunk->ReleaseReference();
    for (Material* material : materials_) material->ReleaseReference();
    const LODLevel& level = levels_[index];
    chunks_ = level.chunks;
    materials_ = level.materials;
    for (GeometryChunk* chunk : chunks_) chunk->AddReference();
    for (Material* material : materials_) material->AddReference();
    chunkCount_ = level.chunkCount;
    vertexTotal_ = level.vertexCount;
    faceTotal_ = level.faceCount;
    hardwareSkinning_ = level.hardwareSkinned;
}

void KodrinIndexedMeshLODDefinition::BuildLevelInfluenceStreams() {
    for (uint32_t a = 0; a < boneTable_.size(); ++a) {
        const std::vector<LODInfluenceList>& lists = boneTable_[a].levelInfluences;
        for (size_t l = 0; l < lists.size() && l < levels_.size(); ++l) {
            const LODLevel& level = levels_[l];
            for (const InfluenceGroup& group : lists[l].groups) {
                if (group.entries.empty() || group.chunkIndex >= level.chunkCount) continue;
                WriteGroupStreams(*level.chunks[group.chunkIndex], group, a);
            }
        }
    }
}

void KodrinIndexedMeshLODDefinition::BuildSkeletonFromBoneTable() {
    std::vector<InfluenceDefinition> records(boneTable_.size());
    for (size_t i = 0; i < boneTable_.size(); ++i) {
        records[i].name = PString(boneTable_[i].name);
        records[i].parentName = PString(boneTable_[i].parent);
        records[i].bindPosition = boneTable_[i].position;
        records[i].bindRotation = boneTable_[i].rotation;
    }
    influences_ = std::move(records);
    BuildSkeletonFromInfluences();
}

int KodrinIndexedMeshLODDefinition::ShareLevelMaterials(Display* display) {
    for (const auto& part : partDefinitions_) part->AssignDeferredTextures();
    partDefinitions_.clear();
    for (size_t i = 1; i < levels_.size(); ++i) {
        for (Material*& material : levels_[i].materials) {
            for (size_t earlier = 0; earlier < i; ++earlier) {
                Material* same = nullptr;
                for (Material* candidate : levels_[earlier].materials) {
                    if (candidate->GetTypeName() == material->GetTypeName() && candidate->IsEqual(*material)) {
                        same = candidate;
                        break;
                    }
                }
                if (!same) continue;
                same->AddReference();
                material->ReleaseReference();
                material = same;
                break;
            }
        }
    }
    if (!display) return RES_OK;
    int result = RES_OK;
    for (const LODLevel& level : levels_) {
        for (GeometryChunk* chunk : level.chunks) {
            if (!chunk->CreateDisplayBuffers(display, true)) result = RES_FILE_DATA_ERROR;
        }
    }
    return result;
}

size_t KodrinIndexedMeshLODDefinition::CalculateDataSize() const {
    size_t size = 300 * influences_.size() + 52 * attachments_.size() + 4 * distances_.capacity() +
                  12 * namedParts_.size() + 40 * levels_.size();
    for (const LODLevel& level : levels_) {
        for (const GeometryChunk* chunk : level.chunks) {
            size += static_cast<size_t>(chunk->GetStride()) * size_t(chunk->GetVertexCount()) +
                    2 * size_t(chunk->GetIndexCount());
        }
    }
    if (boneTable_.empty()) return size;
    const std::vector<LODInfluenceList>& first = boneTable_.front().levelInfluences;
    size += 68 + 4 * first.capacity();
    for (const LODInfluenceList& list : first) {
        size += 8 + 12 * list.groups.size();
        for (const InfluenceGroup& group : list.groups) size += 20 * group.entries.size();
    }
    return size;
}

}  // namespace Kiv
