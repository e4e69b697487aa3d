// Loading and calling native plug-ins.
#include "script_natives/native_plugin_loader.h"

#include <dlfcn.h>

#include "engine/path_policy.h"
#include "link/kav/kav_user_data.h"
#include "script_runtime/gs_log.h"

namespace {

// The plug-in's answer to a call, as text; every reference handed over is released.
std::string TakeText(ZRIObject* result) {
    const char* text = ZRIGetObjectClass(result) == ZRI_CLASS_STRING ? ZRIGetStringText(result) : nullptr;
    std::string taken = text ? text : "";
    ZRIRelease(result);
    return taken;
}

ZRIObject* CallByName(ZRIObject* plugin, const char* name, ZRIObject* arguments) {
    ZRIObject* function = ZRIAllocString(name);
    ZRIObject* result = ZRICallLibraryFunction(plugin, function, arguments);
    ZRIRelease(function);
    return result;
}

} // namespace

bool IsNativePluginNameSafe(std::string_view name) {
    return !name.empty() && name.find_first_of("/\\:") == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

Kiv::File::Path GetNativePluginFolder() {
    Kiv::File::Path folder = KAVUserData::GetInstallFolder();
    if (folder.IsEmpty()) return folder;
    return folder.AddPath("bin").AddPath("plugins");
}

ZRIObject* LoadNativePlugin(ZRIObject* context, std::string_view name) {
    const std::string text(name);
    if (!IsNativePluginNameSafe(name)) {
        GSLog("LoadNativePlugin> refused the plug-in name '%s'", text.c_str());
        return nullptr;
    }
    const Kiv::File::Path folder = GetNativePluginFolder();
    if (folder.IsEmpty()) {
        GSLog("LoadNativePlugin> no installation folder for plug-in '%s'", text.c_str());
        return nullptr;
    }
    Kiv::File::Path path = folder;
    path.AddPath((text + ".so").c_str());
    const std::string real = Kiv::PathPolicy::Resolve(path.View());
    void* module = dlopen(real.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* error = dlerror();
        GSLog("LoadNativePlugin> could not load '%s': %s", path.c_str(), error ? error : "unknown error");
        return nullptr;
    }
    auto entry = reinterpret_cast<ZRIEntryPointFunction>(dlsym(module, "ZRIEntryPoint"));
    ZRIObject* plugin = entry ? entry(context) : nullptr;
    if (!plugin) {
        GSLog("LoadNativePlugin> '%s' gave no plug-in", path.c_str());
        dlclose(module);
        return nullptr;
    }
    ZRIRelease(CallByName(plugin, "Init", nullptr));
    return plugin;
}

std::string CallNativePlugin(ZRIObject* plugin, const char* name, const std::vector<const char*>& texts) {
    ZRIObject* arguments = ZRIAllocArray(static_cast<int32_t>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) {
        ZRIObject* element = ZRIAllocString(texts[i]);
        ZRISetArrayElement(arguments, static_cast<int32_t>(i), element);
        ZRIRelease(element);
    }
    ZRIObject* result = CallByName(plugin, name, arguments);
    ZRIRelease(arguments);
    return TakeText(result);
}
