// Mesh instances: filling from a definition, the shared and private chunk and material
// arrays, the skeleton copy, copies of an instance, scale and bounds.
#include "content3d/mesh/indexed_mesh_instance.h"

#include "content3d/mesh/geometry_base_resource.h"
#include "engine/reference_point.h"
#include "engine/render_kernel.h"

namespace Kiv {

KodrinIndexedMeshInstance::KodrinIndexedMeshInstance(RenderKernel* kernel)
    : renderKernel_(kernel), chunks_(std::make_shared<ReferenceArray<GeometryChunk>>()),
      materials_(std::make_shared<ReferenceArray<Material>>()) {}

KodrinIndexedMeshInstance::~KodrinIndexedMeshInstance() {
    SetResource(nullptr);
    DeleteSubtree();
}

void KodrinIndexedMeshInstance::DeleteSubtree() {
    while (!GetChildren().empty()) {
        Particle* child = GetChildren().back();
        std::vector<Particle*> pending{child};
        RemoveChild(child);
        while (!pending.empty()) {
            Particle* next = pending.back();
            pending.pop_back();
            for (Particle* below : next->GetChildren()) pending.push_back(below);
            delete next;
        }
    }
}

bool KodrinIndexedMeshInstance::InitFromResource(KodrinGeometryBaseResource& resource) {
    const KodrinIndexedMeshDefinition* definition = resource.GetDefinition();
    if (!definition) return false;
    SetResource(&resource);
    InitFromDefinition(*definition);
    if (const ParticleBone* root = definition->GetSkeletonRoot()) {
        chunkBones_ = FindChunkBones(AddSkeletonClone(root), ChunkMaterialNames(*definition));
    }
    definition->AddAttachmentPoints(*this);
    return true;
}

void KodrinIndexedMeshInstance::SetResource(KodrinGeometryBaseResource* resource) {
    if (resource) {
        resource->AddReference();
        resource->Lock();
    }
    if (resource_) {
        resource_->Unlock();
        resource_->Release();
    }
    resource_ = resource;
}

void KodrinIndexedMeshInstance::InitFromDefinition(const KodrinIndexedMeshDefinition& definition) {
    SetChunkSet(definition.GetChunkCount(), MakeSharedArray(definition.GetChunkArray()),
                MakeSharedArray(definition.GetMaterialArray()));
    InitCommonFromDefinition(definition);
    PrepareSoftwareSkinnedChunks();
}

void KodrinIndexedMeshInstance::InitCommonFromDefinition(const KodrinIndexedMeshDefinition& definition) {
    textureDensity_ = definition.GetTextureDensity();
    boundsMax_ = definition.GetBoundsMax();
    boundsMin_ = definition.GetBoundsMin();
    orientedBox_ = definition.GetOrientedBox();
    AddReferencePoints(definition);
    SetName(definition.GetFileName());
    UpdateBoundingVolume();
}

void KodrinIndexedMeshInstance::AddReferencePoints(const KodrinIndexedMeshDefinition& definition) {
    for (const MeshAttachment& attachment : definition.GetAttachments()) {
        const std::string_view name = attachment.name.View();
        if (name.empty() || (name[0] != 'p' && name[0] != 'P')) continue;
        const auto [kind, subName] = ReferencePoint::GetSubNames(attachment.name);
        AddChild(new ReferencePoint(kind, subName, attachment.position, Matrix3ToQuaternion(attachment.rotation)));
    }
}

void KodrinIndexedMeshInstance::SetChunkSet(uint32_t count, SharedReferenceArray<GeometryChunk> chunks,
                                            SharedReferenceArray<Material> materials) {
    chunks_ = std::move(chunks);
    materials_ = std::move(materials);
    const size_t held = chunks_->size() < materials_->size() ? chunks_->size() : materials_->size();
    chunkCount_ = count < held ? count : static_cast<uint32_t>(held);
}

Display* KodrinIndexedMeshInstance::GetDisplay() const { return renderKernel_ ? renderKernel_->GetDisplay() : nullptr; }

bool KodrinIndexedMeshInstance::PrepareChunk(GeometryChunk& chunk) const {
    return chunk.CreateDisplayBuffers(GetDisplay(), true);
}

void KodrinIndexedMeshInstance::PrepareSoftwareSkinnedChunks() {
    bool arrayMade = false;
    for (uint32_t i = 0; i < chunkCount_; ++i) {
        if (((*chunks_)[i]->GetFlags() & GeometryChunk::kSoftwareSkinned) == 0) continue;
        if (!arrayMade) MakeChunkArrayUnique();
        arrayMade = true;
        MakeChunkUnique(i);
        PrepareChunk(*(*chunks_)[i]);
    }
}

void KodrinIndexedMeshInstance::MakeChunkArrayUnique() {
    chunks_ = std::make_shared<ReferenceArray<GeometryChunk>>(*chunks_);
}

void KodrinIndexedMeshInstance::MakeMaterialArrayUnique() {
    materials_ = std::make_shared<ReferenceArray<Material>>(*materials_);
}

void KodrinIndexedMeshInstance::MakeChunkUnique(uint32_t i) {
    if (i >= chunkCount_) return;
    chunks_->Replace(i, (*chunks_)[i]->Clone());
}

void KodrinIndexedMeshInstance::MakeMaterialUnique(uint32_t i) {
    if (i >= chunkCount_ || !(*materials_)[i]) return;
    materials_->Replace(i, (*materials_)[i]->Clone());
}

ParticleBone* KodrinIndexedMeshInstance::AddSkeletonClone(const ParticleBone* root) {
    if (!root) return nullptr;
    ParticleBone* clone = root->CloneTree();
    AddChild(clone);
    ParticleStructure::SetSkeleton(clone);
    return clone;
}

std::vector<PString> KodrinIndexedMeshInstance::ChunkMaterialNames(const KodrinIndexedMeshDefinition& definition) const {
    std::vector<PString> names;
    for (uint32_t i = 0; i < chunkCount_; ++i) names.push_back(definition.GetChunkMaterialName(i));
    return names;
}

std::vector<Particle*> KodrinIndexedMeshInstance::FindChunkBones(Particle* skeleton, const std::vector<PString>& names) {
    std::vector<Particle*> bones;
    for (const PString& name : names) {
        bones.push_back(skeleton && !name.IsEmpty() ? skeleton->FindByName(name) : nullptr);
    }
    return bones;
}

Particle* KodrinIndexedMeshInstance::FindBelow(const PString& name) const {
    for (Particle* child : GetChildren()) {
        if (Particle* found = child->FindByName(name)) return found;
    }
    return nullptr;
}

Particle* KodrinIndexedMeshInstance::CreateInstance() const {
    auto* copy = new KodrinIndexedMeshInstance(renderKernel_);
    copy->CopyFrom(*this);
    return copy;
}

void KodrinIndexedMeshInstance::CopyFrom(const KodrinIndexedMeshInstance& source) {
    LightTarget::InitInstance(source);
    SetName(source.GetName());
    SetFlags(source.GetFlags());
    opacity_ = source.opacity_;
    scale_ = source.scale_;
    chunkCount_ = source.chunkCount_;
    chunks_ = source.chunks_;
    materials_ = source.materials_;
    boundsMax_ = source.boundsMax_;
    boundsMin_ = source.boundsMin_;
    orientedBox_ = source.orientedBox_;
    textureDensity_ = source.textureDensity_;
    scaled_ = source.scaled_;
    SetResource(source.resource_);
    UpdateBoundingVolume();
    PrepareSoftwareSkinnedChunks();
    if (const ParticleBone* skeleton = source.GetSkeletonChild()) {
        ParticleBone* clone = AddSkeletonClone(skeleton);
        // Only the chunks that had a bone in the source look for one in the copy.
        for (const Particle* bone : source.chunkBones_) {
            chunkBones_.push_back(bone && clone ? clone->FindByName(bone->GetName()) : nullptr);
        }
    }
    // The skeleton copy holds bones only: the named points are made again.
    if (const KodrinIndexedMeshDefinition* definition = resource_ ? resource_->GetDefinition() : nullptr) {
        AddReferencePoints(*definition);
        definition->AddAttachmentPoints(*this);
    }
}

const ParticleBone* KodrinIndexedMeshInstance::GetSkeletonChild() const {
    for (const Particle* child : GetChildren()) {
        if (child->GetTypeId() == ParticleBone::kTypeId) return static_cast<const ParticleBone*>(child);
    }
    return nullptr;
}

void KodrinIndexedMeshInstance::SetScale(const Vector3& scale) {
    StoreScale(scale);
    UpdateBoundingVolume();
}

void KodrinIndexedMeshInstance::StoreScale(const Vector3& scale) {
    scale_ = scale;
    scaled_ = !(scale.x == 1.0f && scale.y == 1.0f && scale.z == 1.0f);
}

void KodrinIndexedMeshInstance::UpdateBoundingVolume() {
    const Vector3 corners[] = {boundsMin_, boundsMax_};
    OrientedBox box = OrientedBox::Fit(corners);
    if (scaled_) {
        box.halfExtents = {box.halfExtents.x * scale_.x, box.halfExtents.y * scale_.y, box.halfExtents.z * scale_.z};
    }
    SetBoundingVolume(box);
}

uint32_t KodrinIndexedMeshInstance::GetFaceCount() const {
    uint32_t faces = 0;
    for (uint32_t i = 0; i < chunkCount_; ++i) faces += static_cast<uint32_t>((*chunks_)[i]->GetPrimitiveCount());
    return faces;
}

}  // namespace Kiv
