// Request 39: one asset folder given by path. The folder's config names the asset; the
// folder is copied into a staging folder (links and special files left out) and settled.
// A folder that holds the asset database's own folders, or lies inside them, is refused:
// copying it would copy the staging folder into itself.
#include <algorithm>
#include <filesystem>

#include "daemon/asset_install.h"
#include "daemon/asset_requests.h"
#include "engine/path_policy.h"

namespace fs = std::filesystem;

namespace {

// The config files of an asset folder in the order they are looked for, with the soup
// form each is read in.
struct ConfigFile {
    const char* name;
    const char* extension;
};
const ConfigFile kConfigFiles[] = {{"config.txt", "txt"}, {"config.chump", "chump"}};

constexpr const char* kInstalledConfig = "config.txt";

struct FolderConfig {
    ACSChunkRef soup;
    fs::path file;
    bool copyAsIs = false;          // a plain text config, not a link: copied byte for byte
    std::vector<std::string> names; // the config files present, left out of the copy
};

bool IsWithin(const fs::path& inner, const fs::path& outer) {
    return std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end()).first ==
           outer.end();
}

bool Overlaps(const fs::path& source, const fs::path& userData) {
    std::error_code error;
    const fs::path a = fs::canonical(source, error);
    if (error) return true;
    const fs::path b = fs::weakly_canonical(userData, error);
    if (error) return true;
    return IsWithin(a, b) || IsWithin(b, a);
}

// Finds and reads the folder's config: the first config file present must be a plain file
// that reads as a soup with a "kuid".
bool ReadFolderConfig(const fs::path& source, const std::string& shown, FolderConfig& config,
                      KUID& kuid, InstallRun& run) {
    const ConfigFile* chosen = nullptr;
    for (const ConfigFile& file : kConfigFiles) {
        const fs::path path = Kiv::PathPolicy::Resolve((source / file.name).string());
        std::error_code error;
        if (!fs::exists(fs::symlink_status(path, error))) continue;
        config.names.push_back(path.filename().string());
        if (chosen) continue;
        chosen = &file;
        config.file = path;
        config.copyAsIs = fs::is_regular_file(fs::symlink_status(path, error)) &&
                          std::string(file.extension) == "txt";
    }
    if (!chosen) {
        run.Error(KUID::Null(), "The folder " + shown + " holds no config.txt or config.chump.");
        return false;
    }
    std::error_code error;
    if (!fs::is_regular_file(config.file, error) ||
        !config.soup.LoadFromFile("", config.file.c_str(), chosen->extension, true) ||
        config.soup.IsNull()) {
        run.Error(KUID::Null(), "The config " + config.file.string() + " cannot be read.");
        return false;
    }
    kuid = config.soup.GetNamedTagAsKUID(Kiv::PString("kuid"), KUID::Null());
    if (kuid.IsNull()) {
        run.Error(KUID::Null(), "The config " + config.file.string() + " has no kuid.");
        return false;
    }
    return true;
}

bool WriteStagedConfig(const FolderConfig& config, const fs::path& folder, const KUID& kuid,
                       InstallRun& run) {
    const fs::path target = folder / kInstalledConfig;
    std::error_code error;
    const bool written = config.copyAsIs ? fs::copy_file(config.file, target, error)
                                         : config.soup.SaveToFile("", target.c_str(), "txt");
    if (!written) run.Error(kuid, "Cannot write " + target.string() + ".");
    return written;
}

} // namespace

void AssetInstaller::InstallFolder(const DaemonRequest& request, DaemonResponse& response) {
    AssetCall call(request);
    Kiv::String folder;
    int32_t mode = 0;
    bool hasHandler = false;
    call.In().ReadString(folder);
    call.In().ReadInt32(mode, 0);
    call.In().ReadBool(hasHandler, false);
    InstallRun run(request, hasHandler);
    KUID kuid = KUID::Null();
    bool installed = false;
    StagedAsset staged;
    if (call.Short()) {
        run.Error(KUID::Null(), "The install request is incomplete.");
    } else if (stopping_.load()) {
        run.Error(KUID::Null(), std::string(kClosingText) + " " + std::string(folder.View()) +
                                    " was not installed.");
    } else if (StageFolder(Kiv::PathPolicy::Resolve(folder.View()), std::string(folder.View()),
                           staged, run)) {
        const KUID staging = staged.kuid;
        const Outcome outcome = Settle(std::move(staged), run);
        if (outcome != Outcome::kFailed) kuid = staging;
        installed = outcome == Outcome::kInstalled;
    }
    Book(run);
    run.MoveNotesTo(response);
    kuid.WriteBinary(call.Out());
    call.Out().WriteBool(installed);
    response.reply = call.Reply();
}

bool AssetInstaller::StageFolder(const fs::path& source, const std::string& shown,
                                 StagedAsset& staged, InstallRun& run) {
    std::error_code error;
    if (shown.empty() || !fs::is_directory(source, error)) {
        run.Error(KUID::Null(), "The folder " + shown + " cannot be read.");
        return false;
    }
    if (Overlaps(source, table_->UserData())) {
        run.Error(KUID::Null(),
                  "The folder " + shown + " overlaps the asset database's own folders.");
        return false;
    }
    FolderConfig config;
    if (!ReadFolderConfig(source, shown, config, staged.kuid, run)) return false;
    staged.folder = staging_.NewFolder();
    if (staged.folder.empty()) {
        run.Error(staged.kuid, "Cannot make a staging folder.");
        return false;
    }
    if (CopyAssetTree(source, staged.folder, config.names, staged.kuid, run) &&
        WriteStagedConfig(config, staged.folder, staged.kuid, run)) {
        return true;
    }
    InstallStaging::Discard(staged.folder);
    return false;
}
