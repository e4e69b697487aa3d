// The engine's own plug-ins: the table of what is made, and the bitmap codec place holder.
#include "engine/builtin_plugins.h"

#include "engine/ascii_texture_resource.h"
#include "engine/engine_material_plugins.h"
#include "engine/plugin_base.h"
#include "engine/resource_type.h"

namespace Kiv {

namespace {

// Decodes nothing yet (see the header); it only takes the codec's place in the registry.
class BitmapCodecPlugin final : public PluginBase {
public:
    BitmapCodecPlugin() : PluginBase(kResourceFamilyUId, PString(kBitmapCodecName)) {}
};

}  // namespace

std::vector<PluginBase*> MakeBuiltinPlugins() {
    std::vector<PluginBase*> plugins{
        new BitmapCodecPlugin,
        new ResourceType<AsciiTextureResource>(PString(kAsciiTextureTypeName),
                                               kAsciiTextureTypeUId, kResourceFamilyUId)};
    for (PluginBase* material : MakeEngineMaterialPlugins()) plugins.push_back(material);
    return plugins;
}

}  // namespace Kiv
