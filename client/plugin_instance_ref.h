// PluginInstanceRef: one counted reference to an engine plug-in, found by its family UId
// and name. It holds the plug-in from Create until Release (or its own end), and holds
// null when the lookup found nothing, so its users test Get before they use it.
#pragma once

#include "engine/plugin_base.h"

class PluginInstanceRef {
public:
    PluginInstanceRef() = default;
    ~PluginInstanceRef() { Release(); }
    PluginInstanceRef(const PluginInstanceRef&) = delete;
    PluginInstanceRef& operator=(const PluginInstanceRef&) = delete;

    // Looks the plug-in up and holds it in place of the one held before (which is
    // released); holds null when none is registered. True when one was found.
    bool Create(const Kiv::UId& family, const Kiv::PString& name);
    // Gives the held plug-in back; nothing when none is held.
    void Release();
    Kiv::PluginBase* Get() const { return plugin_; }

private:
    Kiv::PluginBase* plugin_ = nullptr;
};
