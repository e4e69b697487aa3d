// The MATL chunk of a mesh file and the chunk's material: the request name rewritten as
// "owner*folder*name", the colours and power adjusted as the modelling tool's versions
// need, the material requested from the manager (refused names are listed on the
// resource), and an entry whose textures are set when loading completes.
#include <string>

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/indexed_mesh_definition.h"
#include "content3d/mesh/mesh_chunk_header.h"
#include "content3d/mesh/mesh_paths.h"
#include "engine/material_manager.h"

namespace Kiv {

namespace {

void ReadColour(MemoryFile& file, Color& colour) {
    colour.r = file.F32();
    colour.g = file.F32();
    colour.b = file.F32();
}

PString RequestNameFor(const KodrinGeometryBaseResource* resource, const PString& name) {
    std::string request(resource ? resource->GetOwnerName().View() : std::string_view());
    request += '*';
    request += resource ? FolderOf(resource->GetName().View()) : std::string_view();
    request += '*';
    request += name.View();
    return PString(request);
}

void AdjustForVersion(MeshMaterialRecord& record, uint32_t version) {
    Color& colour4 = record.display.colors[3];
    colour4 = {colour4.r * 0.5f, colour4.g * 0.5f, colour4.b * 0.5f, colour4.a * 0.5f};
    if (version == 102) {
        record.display.colors[2] = Color{};
        record.display.power = 10.0f;
    } else if (record.display.power < 10.0f) {
        record.display.power = 10.0f;
    }
}

}  // namespace

int KodrinIndexedMeshDefinition::ReadMaterial(MaterialManager* manager, KodrinGeometryBaseResource* resource,
                                              uint32_t position) {
    MeshChunkHeader header;
    if (!header.Read(file_, "MATL")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 102 && header.version != 103) return RES_FILE_VERSION_ERROR;
    MeshMaterialRecord record;
    record.requestName = RequestNameFor(resource, ReadPaddedString(file_));
    const uint32_t properties = file_.U32();
    if (!file_.Fits(properties, 8)) return RES_FILE_FORMAT_ERROR;
    for (uint32_t i = 0; i < properties; ++i) {
        PString key = ReadPaddedString(file_);
        record.properties.emplace_back(key, ReadPaddedString(file_));
    }
    record.flag = file_.U32() != 0;
    record.opacity = file_.F32();
    for (Color& colour : record.display.colors) ReadColour(file_, colour);
    record.display.power = file_.F32();
    const uint32_t textures = file_.U32();
    if (!file_.Fits(textures, 12)) return RES_FILE_FORMAT_ERROR;
    for (uint32_t i = 0; i < textures; ++i) {
        TextureDef texture;
        texture.slot = file_.U32();
        texture.file = PlaceInResourceFolder(resource, ReadPaddedString(file_));
        texture.amount = file_.F32();
        record.textures.push_back(texture);
    }
    if (file_.Failed()) return RES_FILE_FORMAT_ERROR;
    AdjustForVersion(record, header.version);
    return CreateChunkMaterial(manager, resource, position, record);
}

int KodrinIndexedMeshDefinition::CreateChunkMaterial(MaterialManager* manager,
                                                     KodrinGeometryBaseResource* resource, uint32_t,
                                                     const MeshMaterialRecord& record) {
    if (!manager) return RES_NO_MATERIAL_MANAGER;
    Material* material = nullptr;
    const int requested = manager->RequestMaterial(record.requestName, &material);
    if (requested != MaterialManager::kOk || !material) {
        if (resource) resource->AddFailedMaterialName(record.requestName);
        return requested == MaterialManager::kUnsupported ? RES_UNSUPPORTED_MATERIAL : RES_UNKNOWN_MATERIAL;
    }
    if (resource) material->SetResourcePriority(resource->GetPriority());
    material->SetDisplayMaterialProperties(record.display);
    if (record.flag) material->flags |= 1u;
    material->opacityFactor = record.opacity;
    for (const auto& [key, value] : record.properties) material->AddProperty(key, value);
    materials_.push_back(material);
    material->AddReference();
    auto* entry = new MeshMaterialEntry{record.textures, resource, material, record.requestName, manager};
    materialEntries_.push_back(entry);
    return RES_OK;
}

}  // namespace Kiv
