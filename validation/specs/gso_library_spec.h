// GSOLibrarySpec: the spec of a library asset, whose script is a shared service for the
// other scripts of a script context. Besides what every scripted spec knows, it names a
// native plug-in (config tag "native-plugin"; empty for none) and whether its library
// object lives in the top-most context ("parent-context"), and it makes the library
// object for a context through the maker the script natives install (validation stands
// below them). The program's own factories make none; GSOLibrarySpecFactory, named after
// the kind "library", is offered to hosts and tests.
#pragma once

#include "validation/specs/kodrin_base_spec.h"
#include "validation/specs/spec_factory.h"

class GSContext;
class GSObject;

class GSOLibrarySpec : public KodrinBaseSpec {
  public:
    // The library object of a spec for a context (a new object and its reference), or null.
    using InstanceMaker = GSObject* (*)(GSOLibrarySpec& spec, GSContext* context);

    // Named after the asset's folder, like every scripted spec.
    GSOLibrarySpec(const Kiv::PString& location, const Kiv::String& basePath,
                   const Kiv::String& folderName, const KUID& kuid, const ACSChunkRef& config);

    const Kiv::PString& GetNativePluginName() const { return pluginName_; }
    bool UsesParentContext() const { return parentContext_; }
    // The script becomes the installed library "Library.gsl" with its class "Library".
    void ResetScript();

    // The library object for the context by the installed maker; null without one.
    GSObject* CreateInstance(GSContext* context);
    static void SetInstanceMaker(InstanceMaker maker);

  private:
    Kiv::PString pluginName_;
    bool parentContext_ = false;
};

// The factory of library specs, for the kind "library".
class GSOLibrarySpecFactory : public GZSpecFactory {
  public:
    static constexpr const char* kKind = "library";

    GSOLibrarySpecFactory() : GZSpecFactory(Kiv::PString(kKind)) {}
    GizmorixSpec* Create(const Kiv::PString& location, const Kiv::String& basePath,
                         const Kiv::String& folderName, const KUID& kuid,
                         const ACSChunkRef& config) override;
};
