// Loading, completing and measuring the LOD mesh resource, in both of its forms.
#include "content3d/mesh/lod_mesh_resource.h"

#include "engine/display.h"
#include "engine/material.h"
#include "engine/render_kernel.h"
#include "engine/texture.h"

namespace Kiv {

bool KodrinIndexedMeshLODResource::Load(const char* name) {
    ClearFailedMaterialNames();
    lastResult_ = RES_OK;
    RenderKernel* kernel = GetRenderKernel();
    if (!kernel) return false;
    if (!kernel->GetMaterialManager()) {
        lastResult_ = RES_NO_MATERIAL_MANAGER;
        return false;
    }
    auto definition = std::make_unique<KodrinIndexedMeshLODDefinition>(loaderSettings_);
    lastResult_ = definition->OpenFile(*this, name);
    if (lastResult_ != RES_OK) return false;
    Display* display = kernel->GetDisplay();
    lastResult_ = definition->LoadBinary(display, kernel->GetMaterialManager(), this, name,
                                         display->GetDefaultVertexColor());
    if (lastResult_ == RES_OK) definition_ = std::move(definition);
    return lastResult_ == RES_OK;
}

bool KodrinIndexedMeshLODResource::LoadTxt(std::string_view text) {
    ClearFailedMaterialNames();
    lastResult_ = RES_OK;
    RenderKernel* kernel = GetRenderKernel();
    if (!kernel) return false;
    if (!kernel->GetMaterialManager()) {
        lastResult_ = RES_NO_MATERIAL_MANAGER;
        return false;
    }
    auto definition = std::make_unique<KodrinIndexedMeshLODDefinition>(loaderSettings_);
    Display* display = kernel->GetDisplay();
    lastResult_ = definition->ParseText(display, kernel->GetMaterialManager(), this, text, GetName().c_str(),
                                        display->GetDefaultVertexColor());
    if (lastResult_ == RES_OK) definition_ = std::move(definition);
    return lastResult_ == RES_OK;
}

bool KodrinIndexedMeshLODResource::LoadComplete() {
    if (KodrinIndexedMeshLODDefinition* lod = GetLODDefinition()) {
        lod->ShareLevelMaterials(GetRenderKernel() ? GetRenderKernel()->GetDisplay() : nullptr);
    }
    return Resource::LoadComplete();
}

std::vector<Material*> KodrinIndexedMeshLODResource::AllLevelMaterials() const {
    std::vector<Material*> materials;
    if (const KodrinIndexedMeshLODDefinition* lod = GetLODDefinition()) {
        for (const LODLevel& level : lod->GetLevels()) {
            materials.insert(materials.end(), level.materials.begin(), level.materials.end());
        }
    }
    return materials;
}

bool KodrinIndexedMeshLODResource::LoadAll() {
    if (!Resource::LoadAll()) return false;
    for (Material* material : AllLevelMaterials()) {
        if (!LoadMaterialTextures(*material)) return false;
    }
    return true;
}

int KodrinIndexedMeshLODResource::IsAllLoaded() const {
    const int engine = Resource::IsAllLoaded();
    if (engine != kAllLoaded) return engine;
    for (const Material* material : AllLevelMaterials()) {
        const int state = MaterialLoadState(*material);
        if (state != kAllLoaded) return state;
    }
    return kAllLoaded;
}

size_t KodrinIndexedMeshLODResource::CalculateDataSize() const {
    const KodrinIndexedMeshLODDefinition* lod = GetLODDefinition();
    return lod ? lod->CalculateDataSize() : 0;
}

}  // namespace Kiv
