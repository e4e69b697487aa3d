// `fpxparse`: the download service's archive taken in whole or not at all. An archive with
// an asset whose "kuid" does not read is refused before anything is installed (the daemon
// would otherwise make a new asset of it under the user's own KUIDs). Each asset is
// installed open for editing; an asset that does not install (an error, or no KUID back)
// reverts every asset installed, so the database holds none of the archive. Otherwise what
// the assets miss is fetched, they are committed, and each is described in the log with
// its own archive and thumbnail written beside the service's archive. A commit that fails
// makes the command fail and reverts what is still open, so the service never takes an
// asset left open for editing for a delivered one; nothing is described then.
#include <string>

#include "client/commands/fpx_commands.h"
#include "client/commands/install_archived_asset.h"
#include "client/commands/install_from_fpx.h"
#include "link/kav/kav_client.h"
#include "foundation/cdp/cdp_archive.h"
#include "foundation/results/results_log.h"
#include "foundation/text/interface_text.h"

namespace KodrinUtil {

namespace {

// Install options: the config written as "config.txt" and the asset left open for editing.
constexpr int32_t kInstallOpenForEditing = 0;

// True when every asset of the archive names itself with a KUID; else an error names
// the first that does not.
bool EveryAssetHasAKUID(const CDPArchive& archive, ResultsLog& log) {
    for (int32_t index = 0; index < archive.CountAssets(); ++index) {
        if (!archive.GetAsset(index).GetKUID().IsNull()) continue;
        const std::string text = "Asset " + std::to_string(index + 1) + " of the archive has no valid "
                                 "\"kuid\": nothing of the archive was installed.";
        AddError(log, text.c_str());
        return false;
    }
    return true;
}

// The KUIDs installed, in archive order, each once; allInstalled is cleared when an asset
// did not install.
KUIDList InstallArchiveAssets(const CDPArchive& archive, ResultsLog& log, bool& allInstalled) {
    KUIDList installed;
    allInstalled = true;
    for (int32_t index = 0; index < archive.CountAssets(); ++index) {
        bool committed = false;
        const KUID kuid = InstallArchivedAsset(archive.GetAsset(index), log, kInstallOpenForEditing,
                                               committed, nullptr);
        if (kuid.IsNull()) allInstalled = false;
        else AddUnique(installed, kuid);
    }
    return installed;
}

void RevertAll(const KUIDList& installed) {
    for (const KUID& kuid : installed) {
        KAVClient::RevertAsset(KAVClient::OpenAsset(kuid, true, nullptr), nullptr);
    }
}

// Reverts the assets a failed commit left open for editing.
void RevertOpen(const KUIDList& installed) {
    for (const KUID& kuid : installed) {
        KAVAssetInfo info;
        if (KAVClient::GetAssetInfo(kuid, info, kAssetDetailAll) &&
            (info.flags2 & KAVAssetFlags::kOpenForEditing))
            KAVClient::RevertAsset(KAVClient::OpenAsset(kuid, true, nullptr), nullptr);
    }
}

void FetchAllMissingDependencies(const KUIDList& installed) {
    for (const KUID& kuid : installed) {
        FetchMissingDependencies(kuid, [](const KUID& dependency) {
            return InstallFromFPX(dependency, nullptr);
        });
    }
}

// True when every asset was committed.
bool CommitAll(const KUIDList& installed, ResultsLog& log) {
    bool all = true;
    for (const KUID& kuid : installed) {
        KAVAssetHandle handle = KAVClient::OpenAsset(kuid, true, nullptr);
        bool second = false;
        all = KAVClient::CommitAsset(handle, 0, &log, second) && all;
    }
    return all;
}

void AddUnreadableArchive(ResultsLog& log, const char* path) {
    const ResultsLogParameters parameters = {{"file_path", Kiv::String(path)}};
    log.AddEntry(ResultsLogKind::Error, nullptr,
                 GetInterfaceText(Kiv::PString("$kav_unreadable_cdp")), &parameters);
}

}  // namespace

bool ParseFPXArchive(const char* path, ResultsLog& log) {
    CDPArchive archive;
    if (!archive.Open("", path).IsEmpty()) {
        AddUnreadableArchive(log, path);
        return false;
    }
    if (!EveryAssetHasAKUID(archive, log)) {
        AddError(log, "Aborted processing");
        return false;
    }
    const ACSRawDataRef thumbnail = archive.GetNamedData(Kiv::PString("thumbnail"));
    const int32_t errorsBefore = log.ErrorCount();
    bool allInstalled = true;
    const KUIDList installed = InstallArchiveAssets(archive, log, allInstalled);
    if (!allInstalled || log.ErrorCount() > errorsBefore) {
        RevertAll(installed);
        AddError(log, "Aborted processing");
        return false;
    }
    FetchAllMissingDependencies(installed);
    if (!CommitAll(installed, log)) {
        RevertOpen(installed);
        AddError(log, "Aborted processing");
        return false;
    }
    const Kiv::File::Path folder = Kiv::File::Path(path).DelName();
    for (const KUID& kuid : installed) DescribeFPXAsset(kuid, folder, thumbnail, log);
    return true;
}

int CommandFPXParse(CommandContext& context) {
    return ParseFPXArchive(context.Element(2), context.log) ? 0 : -1;
}

}  // namespace KodrinUtil
