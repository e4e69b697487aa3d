// The script stage of a validation (kav_compile_asset.h).
#include "validation/darodi/kav_compile_asset.h"

#include "foundation/results/results_log.h"
#include "link/kav/kav_user_data.h"
#include "validation/script_system_seam.h"
#include "validation/specs/asset_config_soup.h"
#include "validation/specs/kodrin_base_spec.h"
#include "validation/specs/spec_factory.h"
#include "validation/specs/spec_manager.h"

namespace {

void AddError(ResultsLog& log, const char* text) {
    log.AddEntry(ResultsLogKind::Error, nullptr, Kiv::String(text));
}

// The asset's scripted spec, made from its folder by the scripted-spec factory as the
// manager's default, loaded and valid, with one use; or null.
KodrinBaseSpec* CreateScriptedSpec(const KUID& kuid, const Kiv::PString& location,
                                   const Kiv::File::Path& folder) {
    SpecManager* manager = SpecManager::Instance();
    if (manager == nullptr) return nullptr;
    KAVScript_KodrinBaseSpecFactory factory;
    manager->SetDefaultFactory(&factory);
    GizmorixSpec* spec =
        manager->CreateSpecFromFolder(kuid, location, folder, &IsKodrinBaseSpec, false);
    manager->SetDefaultFactory(nullptr);
    return static_cast<KodrinBaseSpec*>(spec);
}

bool LinkScripts(KodrinBaseSpec& spec, ResultsLog& log) {
    const int32_t errors = log.ErrorCount();
    if (spec.LinkScriptClass(log)) return true;
    if (log.ErrorCount() == errors) AddError(log, "Failed to compile asset");
    return false;
}

} // namespace

bool KAVCompileAsset(const Kiv::PString& location, const Kiv::File::Path& path, ResultsLog& log) {
    if (!ValidationUpwardSeams::InitScriptSystem()) {
        AddError(log, "KAVCompileAsset unable to initialise script system");
        return false;
    }
    Kiv::File::Path folder = KAVUserData::GetLocationFolder(location);
    folder.AddPath(path.c_str());
    ACSChunkRef config;
    if (!LoadAssetConfigSoup(location, folder, config)) {
        AddError(log, "KAVCompileAsset unable to load asset config");
        return false;
    }
    const KUID kuid = config.GetNamedTagAsKUID("kuid", KUID::Null());
    if (kuid.IsNull()) {
        AddError(log, "KAVCompileAsset unable to determine asset KUID");
        return false;
    }
    KodrinBaseSpec* spec = CreateScriptedSpec(kuid, location, folder);
    if (spec == nullptr) {
        AddError(log, "Failed to load asset for compilation");
        return false;
    }
    const bool linked = LinkScripts(*spec, log);
    spec->Release();
    return linked;
}
