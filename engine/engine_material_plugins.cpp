// The engine's material plug-ins: the table of names and the kind each makes.
#include "engine/engine_material_plugins.h"

#include "engine/material.h"
#include "engine/material_plugin.h"

namespace Kiv {

namespace {

class ReflectiveMaterialPlugin final : public OneTextureMaterialPlugin {
public:
    using OneTextureMaterialPlugin::OneTextureMaterialPlugin;
    Material* CreateMaterial(MaterialManager* manager, RenderKernel* kernel) override {
        CreatePluginResources(kernel);
        auto* material =
            new ReflectiveMaterial(manager, GetChunkCache(), GetBlendCache(), 0, nullptr);
        material->Assign(this);
        return material;
    }
};

class NullMaterialPlugin final : public MaterialPlugin {
public:
    NullMaterialPlugin() : MaterialPlugin(PString(NullMaterial::kPluginName)) {}
    Material* CreateMaterial(MaterialManager* manager, RenderKernel*) override {
        auto* material = new NullMaterial(manager);
        material->Assign(this);
        return material;
    }
};

constexpr const char* kOneTextureKinds[] = {OneTextureMaterial::kPluginName, "tbumpcoltex",
                                            "tbumpglosscol", "tgroundonetex",
                                            "tgroundonetexvs"};
constexpr const char* kReflectiveKinds[] = {"gloss", "reflect"};

}  // namespace

std::vector<PluginBase*> MakeEngineMaterialPlugins() {
    std::vector<PluginBase*> plugins{new NullMaterialPlugin};
    for (const char* name : kOneTextureKinds) {
        plugins.push_back(new OneTextureMaterialPlugin(PString(name)));
    }
    for (const char* name : kReflectiveKinds) {
        plugins.push_back(new ReflectiveMaterialPlugin(PString(name)));
    }
    return plugins;
}

}  // namespace Kiv
