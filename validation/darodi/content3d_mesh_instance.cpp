// A mesh instance read from a content3d mesh definition (content3d_mesh_instance.h).
#include "validation/darodi/content3d_mesh_instance.h"

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/indexed_mesh_instance.h"
#include "content3d/mesh/lod_mesh_definition.h"
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

} // namespace

Content3DMeshInstance::Content3DMeshInstance(Kiv::KodrinGeometryBaseResource& resource,
                                             Kiv::KodrinIndexedMeshLODDefinition* lod,
                                             Kiv::KodrinIndexedMeshInstance* meshInstance,
                                             std::unique_ptr<Kiv::MeshData> particle)
    : resource_(resource), lod_(lod), meshInstance_(meshInstance),
      particle_(particle ? std::move(particle) : std::make_unique<Kiv::MeshData>()) {
    resource_.AddReference();
    if (meshInstance_) {
        particle_->AddChild(meshInstance_);
        particle_->instance = meshInstance_;
    }
    Kiv::KodrinIndexedMeshDefinition* definition =
        lod_ ? static_cast<Kiv::KodrinIndexedMeshDefinition*>(lod_) : resource_.GetDefinition();
    particle_->meshName = resource_.GetName();
    particle_->definition = definition;
    Kiv::MeshData::CopyAttachments(*definition, *particle_);
    Kiv::MeshData::CollectBones(*definition, particle_->bones);
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
    return lod_ ? static_cast<int32_t>(lod_->GetLevelCount()) : 1;
}

void Content3DMeshInstance::SelectLevel(int32_t level) { level_ = level; }

int32_t Content3DMeshInstance::GetFaceCount() const {
    if (meshInstance_) return static_cast<int32_t>(meshInstance_->GetFaceCount());
    if (!lod_) return static_cast<int32_t>(particle_->definition->GetFaceTotal());
    const std::vector<Kiv::LODLevel>& levels = lod_->GetLevels();
    if (level_ < 0 || static_cast<size_t>(level_) >= levels.size()) return 0;
    return static_cast<int32_t>(levels[static_cast<size_t>(level_)].faceCount);
}

std::vector<Kiv::String> Content3DMeshInstance::GetFailedTextures() const {
    std::vector<Kiv::String> paths;
    for (const Kiv::TextureDef& texture : particle_->definition->GetFailedTextures())
        paths.emplace_back(Kiv::PlaceInResourceFolder(&resource_, texture.file).View());
    return paths;
}

std::vector<std::vector<Kiv::String>> Content3DMeshInstance::GetMaterialTextureNames() const {
    std::vector<std::vector<Kiv::String>> materials;
    for (const Kiv::Material* material : particle_->definition->GetMaterialArray()) {
        std::vector<Kiv::String>& names = materials.emplace_back();
        if (!material) continue;
        for (int slot = 0; slot < kTextureSlots; ++slot)
            if (const Kiv::Material::TextureDefinition* texture = material->GetTextureDefinition(slot))
                names.emplace_back(texture->name.View());
    }
    return materials;
}

bool Content3DMeshInstance::HasParticle(const Kiv::PString& name) const {
    if (meshInstance_) return meshInstance_->FindByName(name) != nullptr;
    for (const Kiv::MeshAttachment& attachment : particle_->GetAttachments())
        if (attachment.name == name) return true;
    for (const Kiv::MeshBone& bone : particle_->GetBones())
        if (bone.name == name) return true;
    return false;
}

int32_t Content3DMeshInstance::AddAnimation(const Kiv::PString& name) {
    if (!particle_->definition->GetSkeletonRoot()) return kAnimationNoSkeleton;
    const Kiv::ResourceDatabase* database = resource_.GetDatabase();
    if (!database || !database->Exists(name.c_str())) return kAnimationNoResource;
    particle_->animationNames.push_back(name);
    return kAnimationAdded;
}

void Content3DMeshInstance::AddLight(Kiv::DisplayLight* light) {
    if (!meshInstance_ || !light) return;
    meshInstance_->AddLight(light);
    meshInstance_->SetUpdateLighting(true);
}

void Content3DMeshInstance::SetShown(bool shown) {
    const uint32_t flags = particle_->GetFlags();
    particle_->SetFlags(shown ? flags | kShownFlag : flags & ~kShownFlag);
}

} // namespace DAROdi
