// The registration list of the program's plug-ins.
#include "content3d/program_plugins.h"

#include "content3d/textures/compress_ascii_resource.h"
#include "engine/builtin_plugins.h"
#include "engine/plugin_base.h"
#include "engine/resource_type.h"

void KivGetPlugins() {
    RegisterProgramPlugins();
}

void RegisterProgramPlugins() {
    Kiv::PluginBase::RegisterPlugin(new Kiv::ResourceType<CompressAsciiResource>(
        Kiv::PString(kConvertTextureTypeName), kConvertTextureTypeUId, Kiv::kResourceFamilyUId));
}
