// LOD mesh instances: the level table copied from the definition, level selection, the
// selected level's arrays kept in step with the base class's, and copies.
#include "content3d/mesh/lod_mesh_instances.h"

#include "content3d/mesh/lod_mesh_resource.h"

namespace Kiv {

namespace {

// target takes items, one reference each.
template <typename T>
void AssignReferences(std::vector<T*>& target, const std::vector<T*>& items) {
    for (T* item : items) {
        if (item) item->AddReference();
    }
    for (T* item : target) {
        if (item) item->ReleaseReference();
    }
    target = items;
}

}  // namespace

bool KodrinIndexedMeshLODInstance::InitFromResource(KodrinGeometryBaseResource& resource) {
    const auto* lod = dynamic_cast<const KodrinIndexedMeshLODDefinition*>(resource.GetDefinition());
    if (!lod || lod->GetLevelCount() == 0) return false;
    SetResource(&resource);
    InitFromLODDefinition(*lod);
    AddLevelChunkBones(lod->GetSkeletonRoot());
    FinishFromResource(*lod);
    return true;
}

void KodrinIndexedMeshLODInstance::FinishFromResource(const KodrinIndexedMeshLODDefinition& definition) {
    definition.AddAttachmentPoints(*this);
    FindCulledAttachments();
}

void KodrinIndexedMeshLODInstance::InitFromLODDefinition(const KodrinIndexedMeshLODDefinition& definition) {
    ObjectLOD::Init(definition.GetDistances(), definition.GetCalcPoint());
    namedParts_ = std::make_shared<const std::vector<LODNamedPart>>(definition.GetNamedParts());
    ObjectLOD::SetOffset(definition.GetOffset());
    ObjectLOD::SetMultiplier(definition.GetMultiplier());
    renderCutOff_ = definition.GetRenderCutOff();
    attachmentCutOff_ = definition.GetAttachmentCutOff();
    culledNames_ = definition.GetCullList();
    levels_.clear();
    levels_.reserve(definition.GetLevelCount());
    for (const LODLevel& level : definition.GetLevels()) {
        levels_.push_back(level);
        levelNeedsLighting_.push_back(1);
        const uint32_t i = static_cast<uint32_t>(levels_.size() - 1);
        MakeLevelChunksUnique(i, SkinnedInSoftware);
    }
    levelsToLight_ = GetLevelCount();
    InitCommonFromDefinition(definition);
    SelectLevel(CollisionLevel());
    drawLevel_ = 0;
}

void KodrinIndexedMeshLODInstance::MakeLevelChunksUnique(uint32_t i, bool (*keep)(const GeometryChunk& chunk)) {
    LODLevel& level = levels_[i];
    for (GeometryChunk*& chunk : level.chunks) {
        if (!keep(*chunk)) continue;
        GeometryChunk* copy = chunk->Clone();
        chunk->ReleaseReference();
        chunk = copy;
        PrepareChunk(*copy);
    }
    if (i == GetSelectedLevel()) SelectLevel(i);
}

uint32_t KodrinIndexedMeshLODInstance::CollisionLevel() const {
    for (const LODNamedPart& part : *namedParts_) {
        if (part.key == PString("collision") && part.level < GetLevelCount()) return part.level;
    }
    const uint32_t distanceLevels = ObjectLOD::GetLevelCount();
    const uint32_t last = distanceLevels == 0 ? 0 : distanceLevels - 1;
    return last < GetLevelCount() ? last : 0;
}

void KodrinIndexedMeshLODInstance::SelectLevel(uint32_t index) {
    if (index >= levels_.size()) return;
    const LODLevel& level = levels_[index];
    SetChunkSet(level.chunkCount, MakeSharedArray(level.chunks), MakeSharedArray(level.materials));
    selectedLevel_ = index;
}

void KodrinIndexedMeshLODInstance::LockDrawLevel(uint32_t level) {
    if (level >= levels_.size()) return;
    levelLocked_ = true;
    drawLevel_ = level;
}

void KodrinIndexedMeshLODInstance::StoreSelectedChunks() {
    if (selectedLevel_ < levels_.size()) AssignReferences(levels_[selectedLevel_].chunks, GetChunkArray()->Items());
}

void KodrinIndexedMeshLODInstance::StoreSelectedMaterials() {
    if (selectedLevel_ < levels_.size()) AssignReferences(levels_[selectedLevel_].materials, GetMaterialArray()->Items());
}

void KodrinIndexedMeshLODInstance::MakeChunkArrayUnique() {
    KodrinIndexedMeshInstance::MakeChunkArrayUnique();
    StoreSelectedChunks();
}

void KodrinIndexedMeshLODInstance::MakeMaterialArrayUnique() {
    KodrinIndexedMeshInstance::MakeMaterialArrayUnique();
    StoreSelectedMaterials();
}

void KodrinIndexedMeshLODInstance::MakeChunkUnique(uint32_t i) {
    KodrinIndexedMeshInstance::MakeChunkUnique(i);
    StoreSelectedChunks();
}

void KodrinIndexedMeshLODInstance::MakeMaterialUnique(uint32_t i) {
    KodrinIndexedMeshInstance::MakeMaterialUnique(i);
    StoreSelectedMaterials();
}

void KodrinIndexedMeshLODInstance::AddLevelChunkBones(const ParticleBone* root) {
    ParticleBone* skeleton = AddSkeletonClone(root);
    if (!skeleton) return;
    for (LODLevel& level : levels_) level.chunkBones = FindChunkBones(skeleton, level.materialNames);
}

void KodrinIndexedMeshLODInstance::FindCulledAttachments() {
    culledAttachments_.clear();
    for (const PString& name : culledNames_) {
        if (Particle* found = FindBelow(name)) culledAttachments_.push_back(found);
    }
}

Particle* KodrinIndexedMeshLODInstance::CreateInstance() const {
    auto* copy = new KodrinIndexedMeshLODInstance(GetRenderKernel());
    copy->CopyLODFrom(*this);
    return copy;
}

void KodrinIndexedMeshLODInstance::CopyLODFrom(const KodrinIndexedMeshLODInstance& source) {
    CopyFrom(source);
    ObjectLOD::InitInstance(source);
    namedParts_ = source.namedParts_;
    levelLocked_ = source.levelLocked_;
    levelNeedsLighting_ = source.levelNeedsLighting_;
    levelsToLight_ = source.levelsToLight_;
    renderCutOff_ = source.renderCutOff_;
    attachmentCutOff_ = source.attachmentCutOff_;
    culledNames_ = source.culledNames_;
    const ParticleBone* skeleton = GetSkeletonChild();
    for (uint32_t i = 0; i < source.levels_.size(); ++i) {
        const LODLevel& from = source.levels_[i];
        levels_.push_back(from);
        // Only the chunks that had a bone in the source look for one in the copy.
        for (Particle*& bone : levels_.back().chunkBones) {
            bone = bone && skeleton ? const_cast<ParticleBone*>(skeleton)->FindByName(bone->GetName()) : nullptr;
        }
        MakeLevelChunksUnique(i, SkinnedInSoftware);
    }
    SelectLevel(source.selectedLevel_);
    drawLevel_ = 0;
    FindCulledAttachments();
}

}  // namespace Kiv
