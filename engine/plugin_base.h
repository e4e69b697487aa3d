// Kiv::PluginBase: an object contributed to the engine's plug-in system (a codec, a
// resource type, a material kind), filed under a family UId and a name. The registry owns
// one reference of every registered plug-in; LookupPluginType hands out another, which the
// caller gives back with ReleaseReference. The last reference deletes the object, so a
// plug-in unregistered while someone still holds it lives until that holder lets go.
// The engine registers its own plug-ins (engine/builtin_plugins.h) on the registry's first
// use; the program adds its own with RegisterPlugin.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/pstring.h"
#include "engine/uid.h"

namespace Kiv {

class PluginBase {
public:
    PluginBase(const UId& family, const PString& name) : family_(family), name_(name) {}
    PluginBase(const PluginBase&) = delete;
    PluginBase& operator=(const PluginBase&) = delete;

    void AddReference() { references_.fetch_add(1, std::memory_order_relaxed); }
    // One reference less; the last one deletes the plug-in.
    void ReleaseReference();
    int32_t GetReferenceCount() const { return references_.load(); }

    const UId& GetFamily() const { return family_; }
    const PString& GetName() const { return name_; }

    // The registered plug-in of that family and name (exact name) with one reference added,
    // or null.
    static PluginBase* LookupPluginType(const UId& family, const PString& name);
    // Every registered plug-in of family, each with one reference added.
    static std::vector<PluginBase*> ListPlugins(const UId& family);
    // Files plugin under its family and name; the registry takes over the reference its
    // creator holds. False, and that reference released, when the place is taken or the
    // plug-in is null.
    static bool RegisterPlugin(PluginBase* plugin);
    // Drops the registry's reference of the plug-in of that family and name; false when
    // none is registered.
    static bool UnregisterPlugin(const UId& family, const PString& name);

protected:
    virtual ~PluginBase() = default;

private:
    std::atomic<int32_t> references_{1};
    UId family_;
    PString name_;
};

}  // namespace Kiv
