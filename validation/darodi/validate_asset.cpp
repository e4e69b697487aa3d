// ValidateAsset and RunAssetChecks: finding the asset and its config, and the order of the
// check stages.
#include "validation/darodi/validate_asset.h"

#include "content3d/resource_database_holder.h"
#include "engine/file.h"
#include "foundation/files/file_paths.h"
#include "foundation/results/results_log.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/text/interface_text.h"
#include "link/kav/kav_user_data.h"
#include "validation/darodi/asset_files.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/kav_compile_asset.h"
#include "validation/darodi/purge_resources.h"

namespace {

constexpr const char* kConfigFiles[] = {"config.chump", "config.txt"};

// The daemon names assets by absolute folders: below the location's folder the path
// becomes relative to it, else both are derived from the path alone.
bool ResolveAssetPath(Kiv::PString& location, Kiv::File::Path& path) {
    if (IsAbsolutePath(path) && !location.IsEmpty()) {
        Kiv::File::Path relative;
        if (KAVUserData::MakeRelativePath(KAVUserData::GetLocationFolder(location), path,
                                          relative)) {
            path = relative;
            return true;
        }
        location = Kiv::PString();
    }
    return KAVUserData::SplitAssetPath(location, path);
}

bool IsNeitherEditingNorBase(const Kiv::PString& location) {
    if (location.IsEmpty()) return false;
    return location != Kiv::PString("editing") && location != Kiv::PString("base");
}

// The config file of the asset folder, "config.chump" first; empty when there is none.
Kiv::File::Path FindConfig(const Kiv::PString& location, const Kiv::File::Path& folder) {
    for (const char* name : kConfigFiles) {
        Kiv::File::Path config = folder;
        config.AddPath(name);
        if (FileExistsUnder(location, config)) return config;
    }
    return Kiv::File::Path();
}

void AddMissingConfigError(ResultsLog& log, const Kiv::File::Path& folder) {
    ACSChunkRef parameters;
    parameters.SetNamedTagString(Kiv::PString("file_path"), folder.c_str());
    log.AddEntry(ResultsLogKind::Error, nullptr,
                 GetInterfaceText(Kiv::PString("$kav_unable_read_config_at")), parameters);
}

} // namespace

bool ValidateAsset(Kiv::PString location, Kiv::File::Path path, ResultsLog& log) {
    if (!ResolveAssetPath(location, path)) return false;
    // A location packed into a ".ka" archive beside its folder is not validated.
    if (DAROdi::IsPackedLocation(location)) return true;
    DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    manager.notEditingOrBase = IsNeitherEditingNorBase(location);
    PurgeResourcesAfterValidation();
    ResourceDatabaseHolder database;
    database.Open(location.c_str());
    const int32_t errors = log.ErrorCount();
    const Kiv::File::Path config = FindConfig(location, path);
    if (config.IsEmpty()) {
        AddMissingConfigError(log, path);
        return false;
    }
    {
        DAROdi::Container container;
        manager.SetAssetLocation(location, path.c_str());
        manager.SetConfigFileName(Kiv::PString(config.GetFileName().c_str()));
        RunAssetChecks(config, container, log, location);
    }
    if (log.ErrorCount() != errors) return false;
    return KAVCompileAsset(location, path, log);
}

void RunAssetChecks(const Kiv::File::Path& configPath, DAROdi::Container& container,
                    ResultsLog& log, const Kiv::PString& location) {
    if (CheckAssetConfig(configPath, log, &container, location)) CheckAssetFolder(container, log);
    DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    manager.PurgeLoaded();
    manager.meshFailed = false;
    manager.aliasFlag = false;
}
