// A mesh instance over content3d's mesh data (content3d_mesh_instance.h).
#include "validation/darodi/content3d_mesh_instance.h"

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/lod_mesh_data.h"
#include "content3d/mesh/lod_mesh_instances.h"
#include "content3d/mesh/mesh_paths.h"
#include "engine/material.h"
#include "engine/resource_database.h"

namespace DAROdi {
namespace {

// The texture slots a material may hold.
constexpr int kTextureSlots = 16;
// Particle flag bit 1: the mesh is the one shown.
constexpr uint32_t kShownFlag = 1u << 1;

// The animator's answers.
constexpr int32_t kAnimationAdded = 0;
constexpr int32_t kAnimationNoSkeleton = 2;
constexpr int32_t kAnimationNoResource = 3;

Kiv::KodrinIndexedMeshLODInstance* LODInstanceOf(const Kiv::MeshData& mesh) {
    return dynamic_cast<Kiv::KodrinIndexedMeshLODInstance*>(mesh.GetMeshInstance());
}

} // namespace

Content3DMeshInstance::Content3DMeshInstance(Kiv::KodrinGeometryBaseResource& resource,
                                             Kiv::KodrinIndexedMeshInstance& meshInstance,
                                             std::unique_ptr<Kiv::MeshData> particle)
    : resource_(resource),
      particle_(particle ? std::move(particle) : std::make_unique<Kiv::MeshData>()) {
    resource_.AddReference();
    particle_->AddChild(&meshInstance);
    auto* lodMesh = dynamic_cast<Kiv::LODMeshData*>(particle_.get());
    auto* lodInstance = dynamic_cast<Kiv::KodrinIndexedMeshLODInstance*>(&meshInstance);
    if (lodMesh && lodInstance) {
        lodMesh->lodInstance = lodInstance;
        lodMesh->lodDefinition = static_cast<Kiv::KodrinIndexedMeshLODDefinition*>(resource_.GetDefinition());
    } else {
        particle_->instance = &meshInstance;
        particle_->definition = resource_.GetDefinition();
    }
    const Kiv::KodrinIndexedMeshDefinition& definition = *particle_->GetDefinition();
    Kiv::MeshData::CopyAttachments(definition, *particle_);
    Kiv::MeshData::CollectBones(definition, particle_->bones);
    particle_->loaded = true;
}

Content3DMeshInstance::~Content3DMeshInstance() {
    particle_.reset();
    resource_.Release();
}

std::vector<Kiv::PString> Content3DMeshInstance::GetAttachmentNames() const {
    std::vector<Kiv::PString> names;
    for (const Kiv::MeshAttachment& attachment : particle_->GetAttachments())
        names.push_back(attachment.name);
    return names;
}

int32_t Content3DMeshInstance::GetLevelCount() const {
    const Kiv::KodrinIndexedMeshLODInstance* lod = LODInstanceOf(*particle_);
    return lod ? static_cast<int32_t>(lod->GetLevelCount()) : 1;
}

void Content3DMeshInstance::SelectLevel(int32_t level) {
    if (Kiv::KodrinIndexedMeshLODInstance* lod = LODInstanceOf(*particle_))
        if (level >= 0) lod->SelectLevel(static_cast<uint32_t>(level));
}

int32_t Content3DMeshInstance::GetFaceCount() const {
    return static_cast<int32_t>(particle_->GetFaceCount());
}

std::vector<Kiv::String> Content3DMeshInstance::GetFailedTextures() const {
    std::vector<Kiv::String> paths;
    for (const Kiv::TextureDef& texture : particle_->GetDefinition()->GetFailedTextures())
        paths.emplace_back(Kiv::PlaceInResourceFolder(&resource_, texture.file).View());
    return paths;
}

std::vector<std::vector<Kiv::String>> Content3DMeshInstance::GetMaterialTextureNames() const {
    std::vector<std::vector<Kiv::String>> materials;
    for (const Kiv::Material* material : particle_->GetDefinition()->GetMaterialArray()) {
        std::vector<Kiv::String>& names = materials.emplace_back();
        if (!material) continue;
        for (int slot = 0; slot < kTextureSlots; ++slot)
            if (const Kiv::Material::TextureDefinition* texture = material->GetTextureDefinition(slot))
                names.emplace_back(texture->name.View());
    }
    return materials;
}

bool Content3DMeshInstance::HasParticle(const Kiv::PString& name) const {
    return particle_->GetMeshInstance()->FindByName(name) != nullptr;
}

int32_t Content3DMeshInstance::AddAnimation(const Kiv::PString& name) {
    if (!particle_->GetDefinition()->GetSkeletonRoot()) return kAnimationNoSkeleton;
    const Kiv::ResourceDatabase* database = resource_.GetDatabase();
    if (!database || !database->Exists(name.c_str())) return kAnimationNoResource;
    particle_->animationNames.push_back(name);
    return kAnimationAdded;
}

void Content3DMeshInstance::AddLight(Kiv::DisplayLight* light) {
    Kiv::KodrinIndexedMeshInstance* instance = particle_->GetMeshInstance();
    if (!light) return;
    instance->AddLight(light);
    instance->SetUpdateLighting(true);
}

void Content3DMeshInstance::SetShown(bool shown) {
    const uint32_t flags = particle_->GetFlags();
    particle_->SetFlags(shown ? flags | kShownFlag : flags & ~kShownFlag);
}

} // namespace DAROdi
