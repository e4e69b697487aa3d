// Request 40: every asset of a CDP archive. Each entry's files are extracted into a staging
// folder with the archive code (which refuses names that could leave that folder), its
// install config is written as config.txt, and the asset is settled. A damaged entry is
// reported and skipped; the others still install. An entry whose files do not match its
// checksum installs with a warning when the asset is new, but never replaces an installed
// copy: that is an error naming the asset, and the installed copy stays. Files the archive
// rules leave out (other
// types, names outside the safe alphabet) are each named in a warning, since the copy they
// would replace goes to the trash.
#include <filesystem>

#include "daemon/archive_skipped_files.h"
#include "daemon/asset_install.h"
#include "daemon/asset_requests.h"
#include "engine/path_policy.h"
#include "foundation/cdp/cdp_archive.h"
#include "foundation/cdp/cdp_messages.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kInstalledConfig = "config.txt";

bool OpenArchive(const std::string& shown, CDPArchive& archive, InstallRun& run) {
    const std::string path = Kiv::PathPolicy::Resolve(shown);
    std::error_code error;
    if (shown.empty() || !fs::is_regular_file(path, error)) {
        run.Error(KUID::Null(), "Cannot read the archive " + shown + ".");
        return false;
    }
    const Kiv::PString failure = archive.Open("", path.c_str());
    if (failure.IsEmpty()) return true;
    run.Error(KUID::Null(), std::string(failure.View()));
    return false;
}

constexpr const char* kChecksumMismatch = "The asset's files do not match the archive's checksum";

// The entry's files and config in the folder; false with an error entry. damaged: the
// files do not match the entry's checksum.
bool FillStagedFolder(CDPAsset& asset, const StagedAsset& staged, InstallRun& run, bool& damaged) {
    for (const std::string& skipped : SkippedArchiveFiles(asset.GetFiles())) {
        run.Add(ResultsLogKind::Warning, staged.kuid,
                "Skipped the file " + skipped + ": archives may not install it.");
    }
    const Kiv::PString failure =
        CDPArchive::ExtractFiles(asset.GetFiles(), Kiv::PString(staged.folder.string()),
                                 Kiv::File::Path(""), asset.GetCompression());
    if (!failure.IsEmpty()) {
        run.Error(staged.kuid, std::string(failure.View()));
        return false;
    }
    damaged = asset.GetConfig().HasTag(Kiv::PString("dsid")) && !asset.VerifyChecksum();
    const fs::path config = staged.folder / kInstalledConfig;
    if (asset.MakeInstallConfig().SaveToFile("", config.c_str(), "txt")) return true;
    run.Error(staged.kuid, "Cannot write " + config.string() + ".");
    return false;
}

} // namespace

void AssetInstaller::InstallArchive(const DaemonRequest& request, DaemonResponse& response) {
    AssetCall call(request);
    Kiv::String path;
    int32_t mode = 0;
    bool hasHandler = false;
    call.In().ReadString(path);
    call.In().ReadInt32(mode, 0);
    call.In().ReadBool(hasHandler, false);
    InstallRun run(request, hasHandler);
    uint32_t settled = 0;
    bool complete = false;
    CDPArchive archive;
    if (call.Short()) {
        run.Error(KUID::Null(), "The install request is incomplete.");
    } else if (OpenArchive(std::string(path.View()), archive, run)) {
        const int32_t count = archive.CountAssets();
        if (count == 0) run.Error(KUID::Null(), "The archive holds no assets.");
        for (int32_t i = 0; i < count; ++i) {
            if (stopping_.load()) {
                run.Error(KUID::Null(), std::string(kClosingText) + " " +
                                            std::to_string(count - i) + " of the archive's " +
                                            std::to_string(count) + " assets were not installed.");
                break;
            }
            if (InstallArchivedEntry(archive, i, run) != Outcome::kFailed) ++settled;
        }
        complete = count > 0 && !run.HasErrors() && !run.HasHeld();
    }
    Book(run);
    run.MoveNotesTo(response);
    call.Out().WriteUInt32(settled);
    call.Out().WriteBool(complete);
    response.reply = call.Reply();
}

AssetInstaller::Outcome AssetInstaller::InstallArchivedEntry(const CDPArchive& archive,
                                                             int32_t index, InstallRun& run) {
    CDPAsset asset = archive.GetAsset(index);
    if (asset.GetConfig().IsNull()) {
        run.Error(KUID::Null(), "Entry " + std::to_string(index) + " of the archive is no asset.");
        return Outcome::kFailed;
    }
    StagedAsset staged{asset.GetKUID(), {}};
    if (staged.kuid.IsNull()) {
        run.Error(KUID::Null(), CDPMessages::kNoValidKUID);
        return Outcome::kFailed;
    }
    staged.folder = staging_.NewFolder();
    if (staged.folder.empty()) {
        run.Error(staged.kuid, "Cannot make a staging folder.");
        return Outcome::kFailed;
    }
    bool damaged = false;
    if (!FillStagedFolder(asset, staged, run, damaged)) {
        InstallStaging::Discard(staged.folder);
        return Outcome::kFailed;
    }
    if (damaged && IsInstalled(staged.kuid)) {
        InstallStaging::Discard(staged.folder);
        run.Error(staged.kuid, std::string(kChecksumMismatch) + ": the installed copy is kept.");
        return Outcome::kFailed;
    }
    if (damaged) run.Add(ResultsLogKind::Warning, staged.kuid, std::string(kChecksumMismatch) + ".");
    return Settle(std::move(staged), run);
}

bool AssetInstaller::IsInstalled(const KUID& kuid) {
    std::lock_guard<std::mutex> hold(lock_);
    return table_->Find(kuid).has_value();
}
