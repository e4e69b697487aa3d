// Material requests: type names and the plug-in that serves them.
#include "engine/material_manager.h"

#include <string>

#include "engine/ascii.h"
#include "engine/material.h"
#include "engine/material_plugin.h"
#include "engine/render_kernel.h"

namespace Kiv {

namespace {

constexpr const char* kTypePrefix = "m.";

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = Ascii::ToLower(c);
    return lower;
}

// The plug-in name of a type name: without a leading "m.".
PString PluginNameOf(const PString& type) {
    std::string_view text = type.View();
    if (text.substr(0, 2) == kTypePrefix) text.remove_prefix(2);
    return PString(text);
}

}  // namespace

PString MaterialManager::TypeOfName(const PString& name) {
    std::string_view text = name.View();
    const size_t star = text.rfind('*');
    if (star != std::string_view::npos) text.remove_prefix(star + 1);
    const size_t token = Lower(text).rfind(DecoratedTypeToken);
    if (token == std::string::npos) return PString(OneTextureMaterial::UNDECORATED_TYPE);
    return PString(kTypePrefix + Lower(text.substr(token + 3)));
}

int MaterialManager::RequestMaterial(const PString& name, Material** out) {
    return CreateByType(TypeOfName(name), out);
}

int MaterialManager::CreateByType(const PString& type, Material** out) {
    *out = nullptr;
    MaterialPlugin* plugin = MaterialPlugin::Find(PluginNameOf(type));
    if (!plugin) return kUnknownType;
    Display* display = kernel_ ? kernel_->GetDisplay() : nullptr;
    PString replacement;
    if (!plugin->IsSupported(display, replacement)) {
        plugin->ReleaseReference();
        plugin = MaterialPlugin::Find(PluginNameOf(replacement));
        PString unused;
        if (plugin && !plugin->IsSupported(display, unused)) {
            plugin->ReleaseReference();
            plugin = nullptr;
        }
        if (!plugin) return kUnsupported;
    }
    *out = plugin->CreateMaterial(this, kernel_);
    plugin->ReleaseReference();
    return *out ? kOk : kUnsupported;
}

Material* MaterialManager::CreateByType(const PString& type) {
    Material* material = nullptr;
    CreateByType(type, &material);
    return material;
}

}  // namespace Kiv
