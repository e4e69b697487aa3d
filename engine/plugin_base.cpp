// The plug-in registry: one map from (family, name) to the registered plug-in, under one
// lock. The registry is never destroyed, so a reference released during exit still finds
// it.
#include "engine/plugin_base.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/builtin_plugins.h"

namespace Kiv {

namespace {

using PluginKey = std::pair<std::array<uint8_t, 16>, const void*>;

struct PluginRegistry {
    std::mutex lock;
    std::map<PluginKey, PluginBase*> plugins;
};

PluginKey KeyOf(const UId& family, const PString& name) {
    return {family.Bytes(), name.Identity()};
}

PluginRegistry* MakeRegistry() {
    auto* registry = new PluginRegistry;
    for (PluginBase* plugin : MakeBuiltinPlugins())
        registry->plugins.emplace(KeyOf(plugin->GetFamily(), plugin->GetName()), plugin);
    return registry;
}

PluginRegistry& Registry() {
    static PluginRegistry* registry = MakeRegistry();
    return *registry;
}

}  // namespace

void PluginBase::ReleaseReference() {
    if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

PluginBase* PluginBase::LookupPluginType(const UId& family, const PString& name) {
    PluginRegistry& registry = Registry();
    const std::lock_guard<std::mutex> hold(registry.lock);
    auto found = registry.plugins.find(KeyOf(family, name));
    if (found == registry.plugins.end()) return nullptr;
    found->second->AddReference();
    return found->second;
}

std::vector<PluginBase*> PluginBase::ListPlugins(const UId& family) {
    PluginRegistry& registry = Registry();
    const std::lock_guard<std::mutex> hold(registry.lock);
    std::vector<PluginBase*> found;
    for (const auto& [key, plugin] : registry.plugins) {
        if (plugin->family_ != family) continue;
        plugin->AddReference();
        found.push_back(plugin);
    }
    return found;
}

bool PluginBase::RegisterPlugin(PluginBase* plugin) {
    if (!plugin) return false;
    PluginRegistry& registry = Registry();
    bool filed = false;
    {
        const std::lock_guard<std::mutex> hold(registry.lock);
        filed = registry.plugins.emplace(KeyOf(plugin->family_, plugin->name_), plugin).second;
    }
    if (!filed) plugin->ReleaseReference();
    return filed;
}

bool PluginBase::UnregisterPlugin(const UId& family, const PString& name) {
    PluginRegistry& registry = Registry();
    PluginBase* plugin = nullptr;
    {
        const std::lock_guard<std::mutex> hold(registry.lock);
        auto found = registry.plugins.find(KeyOf(family, name));
        if (found == registry.plugins.end()) return false;
        plugin = found->second;
        registry.plugins.erase(found);
    }
    plugin->ReleaseReference();
    return true;
}

}  // namespace Kiv
