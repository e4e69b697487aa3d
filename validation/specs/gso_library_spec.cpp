// The library spec: its config tags, its script reset and the maker of its objects.
#include "validation/specs/gso_library_spec.h"

#include <atomic>

namespace {

std::atomic<GSOLibrarySpec::InstanceMaker> g_maker{nullptr};

} // namespace

GSOLibrarySpec::GSOLibrarySpec(const Kiv::PString& location, const Kiv::String& basePath,
                               const Kiv::String& folderName, const KUID& kuid,
                               const ACSChunkRef& config)
    : KodrinBaseSpec(location, basePath, folderName, kuid, config, folderName.ToPString()) {
    if (config.IsNull()) return;
    pluginName_ = config.GetNamedTag(Kiv::PString("native-plugin")).ToPString();
    parentContext_ = config.GetNamedTagAsBool(Kiv::PString("parent-context"), false);
}

void GSOLibrarySpec::ResetScript() { Scripts().SetScript(Kiv::PString("/Library.gsl"), Kiv::PString("Library")); }

GSObject* GSOLibrarySpec::CreateInstance(GSContext* context) {
    const InstanceMaker maker = g_maker.load();
    return maker ? maker(*this, context) : nullptr;
}

void GSOLibrarySpec::SetInstanceMaker(InstanceMaker maker) { g_maker.store(maker); }

GizmorixSpec* GSOLibrarySpecFactory::Create(const Kiv::PString& location, const Kiv::String& basePath,
                                            const Kiv::String& folderName, const KUID& kuid,
                                            const ACSChunkRef& config) {
    return new GSOLibrarySpec(location, basePath, folderName, kuid, config);
}
