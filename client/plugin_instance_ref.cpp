// PluginInstanceRef: look-up and release through the engine's plug-in registry.
#include "client/plugin_instance_ref.h"

bool PluginInstanceRef::Create(const Kiv::UId& family, const Kiv::PString& name) {
    Kiv::PluginBase* found = Kiv::PluginBase::LookupPluginType(family, name);
    Release();
    plugin_ = found;
    return plugin_ != nullptr;
}

void PluginInstanceRef::Release() {
    if (!plugin_) return;
    plugin_->ReleaseReference();
    plugin_ = nullptr;
}
