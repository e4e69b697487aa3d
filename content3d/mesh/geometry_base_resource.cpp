// Loading, completing and measuring the ".im" and ".pm" mesh resources.
#include "content3d/mesh/geometry_base_resource.h"

#include "content3d/mesh/progressive_mesh_definition.h"
#include "engine/material.h"
#include "engine/render_kernel.h"
#include "engine/texture.h"

namespace Kiv {

namespace {

// Texture indices a material's textures are looked for at.
constexpr int kTextureIndices = 16;

// The first of a material's textures that exists and is not yet loaded; null when none.
Texture* FirstUnloadedTexture(const Material& material) {
    for (int i = 0; i < kTextureIndices; ++i) {
        Texture* texture = material.GetTexture(i);
        if (texture && !texture->IsLoaded()) return texture;
    }
    return nullptr;
}

}  // namespace

KodrinGeometryBaseResource::KodrinGeometryBaseResource(const PString& name, ResourceDatabase* database,
                                                       Form form)
    : Resource(name, database, form) {}

KodrinGeometryBaseResource::~KodrinGeometryBaseResource() {
    definition_.reset();
    ClearFailedMaterialNames();
}

bool KodrinGeometryBaseResource::LoadDefinition(std::unique_ptr<KodrinIndexedMeshDefinition> definition,
                                                const char* name, bool openHere) {
    definition_ = std::move(definition);
    if (!openHere && definition_->OpenFile(*this, name) != RES_OK) {
        definition_.reset();
        return false;
    }
    Display* display = renderKernel_->GetDisplay();
    const int result = definition_->LoadBinary(display, renderKernel_->GetMaterialManager(), this, name,
                                               display->GetDefaultVertexColor());
    if (result != RES_OK) definition_.reset();
    return result == RES_OK;
}

bool KodrinIndexedMeshResource::Load(const char* name) {
    ClearFailedMaterialNames();
    if (!GetRenderKernel()) return false;
    return LoadDefinition(std::make_unique<KodrinIndexedMeshDefinition>(loaderSettings_), name, false);
}

bool KodrinProgressiveMeshResource::Load(const char* name) {
    ClearFailedMaterialNames();
    if (!GetRenderKernel()) return false;
    MeshLoaderSettings settings = loaderSettings_;
    if (!settings.dynamicIndex.present) settings.dynamicIndex = {1, 1};
    return LoadDefinition(std::make_unique<KodrinProgressiveMeshDefinition>(settings), name, true);
}

bool KodrinGeometryBaseResource::LoadComplete() {
    if (definition_) {
        definition_->AssignDeferredTextures();
        definition_->PrepareChunks(renderKernel_ ? renderKernel_->GetDisplay() : nullptr);
    }
    return Resource::LoadComplete();
}

bool KodrinGeometryBaseResource::LoadAll() {
    if (!Resource::LoadAll()) return false;
    if (!definition_) return true;
    for (Material* material : definition_->GetMaterialArray()) {
        if (!LoadMaterialTextures(*material)) return false;
    }
    return true;
}

bool KodrinGeometryBaseResource::LoadMaterialTextures(Material& material) {
    if (material.IsLoaded() == kMaterialOk) return true;
    for (int i = 0; i < kTextureIndices; ++i) {
        Texture* texture = material.GetTexture(i);
        if (texture && !texture->IsLoaded() && !texture->Load()) return false;
    }
    return true;
}

int KodrinGeometryBaseResource::MaterialLoadState(const Material& material) {
    const int state = material.IsLoaded();
    if (state == kMaterialOk) return kAllLoaded;
    if (state != kMaterialNotLoaded) return kAllFailed;
    const Texture* texture = FirstUnloadedTexture(material);
    return texture && texture->HasFailed() ? kAllFailed : kAllPending;
}

int KodrinGeometryBaseResource::IsAllLoaded() const {
    const int engine = Resource::IsAllLoaded();
    if (engine != kAllLoaded || !definition_) return engine;
    for (const Material* material : definition_->GetMaterialArray()) {
        const int state = MaterialLoadState(*material);
        if (state != kAllLoaded) return state;
    }
    return kAllLoaded;
}

size_t KodrinGeometryBaseResource::CalculateDataSize() const {
    return definition_ ? definition_->CalculateDataSize() : 0;
}

}  // namespace Kiv
