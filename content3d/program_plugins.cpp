// The registration list of the program's plug-ins: the seven material plug-ins first, then
// the resource types.
#include "content3d/program_plugins.h"

#include "content3d/materials/bump_material_plugins.h"
#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/lod_mesh_resource.h"
#include "content3d/materials/multi_pfx_material_plugin.h"
#include "content3d/materials/one_texture_kind_plugins.h"
#include "content3d/textures/compress_ascii_resource.h"
#include "engine/builtin_plugins.h"
#include "engine/plugin_base.h"
#include "engine/resource_type.h"

void KivGetPlugins() {
    RegisterProgramPlugins();
}

void RegisterProgramPlugins() {
    Kiv::PluginBase* const materials[] = {
        new Kiv::KodrinBumpGlossMaterialPlugin,     new Kiv::KodrinBumpMaterialPlugin,
        new Kiv::KodrinBumpEnvMaterialPlugin,       new Kiv::KodrinOneTexNoAlphaMaterialPlugin,
        new Kiv::KodrinGlossRustMaterialPlugin,     new Kiv::KodrinMultiPFXMaterialPlugin,
        new Kiv::KodrinNoFogMaterialPlugin,
    };
    for (Kiv::PluginBase* plugin : materials) Kiv::PluginBase::RegisterPlugin(plugin);
    Kiv::PluginBase::RegisterPlugin(new Kiv::ResourceType<Kiv::KodrinIndexedMeshResource>(
        Kiv::PString(kIndexedMeshTypeName), kIndexedMeshTypeUId, Kiv::kResourceFamilyUId));
    Kiv::PluginBase::RegisterPlugin(new Kiv::ResourceType<Kiv::KodrinProgressiveMeshResource>(
        Kiv::PString(kProgressiveMeshTypeName), kProgressiveMeshTypeUId, Kiv::kResourceFamilyUId));
    Kiv::PluginBase::RegisterPlugin(new Kiv::ResourceType<Kiv::KodrinIndexedMeshLODResource>(
        Kiv::PString(kLODMeshTextTypeName), kLODMeshTypeUId, Kiv::kResourceFamilyUId));
    Kiv::PluginBase::RegisterPlugin(new Kiv::ResourceType<Kiv::KodrinIndexedMeshLODResource>(
        Kiv::PString(kLODMeshTypeName), kLODMeshTypeUId, Kiv::kResourceFamilyUId));
    Kiv::PluginBase::RegisterPlugin(new Kiv::ResourceType<CompressAsciiResource>(
        Kiv::PString(kConvertTextureTypeName), kConvertTextureTypeUId, Kiv::kResourceFamilyUId));
}
