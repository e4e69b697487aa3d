// The script stage of a validation (kav_compile_asset.h).
#include "validation/darodi/kav_compile_asset.h"

#include "foundation/results/results_log.h"
#include "link/kav/kav_user_data.h"
#include "validation/script_system_seam.h"
#include "validation/specs/asset_config_soup.h"
#include "validation/specs/kodrin_scripts.h"

namespace {

void AddError(ResultsLog& log, const char* text) {
    log.AddEntry(ResultsLogKind::Error, nullptr, Kiv::String(text));
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
    KodrinScripts scripts(config, kuid, location, path,
                          config.GetNamedTag("username").ToPString());
    const int32_t errors = log.ErrorCount();
    if (scripts.LinkScriptClass(log)) return true;
    if (log.ErrorCount() == errors) AddError(log, "Failed to compile asset");
    return false;
}
