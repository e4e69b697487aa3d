// `fpxparse`: the download service's archive taken in whole or not at all. Each asset is
// installed open for editing; an error while installing reverts every asset installed, so
// the database holds none of the archive. Otherwise what the assets miss is fetched, they
// are committed, and each is described in the log with its own archive and thumbnail
// written beside the service's archive. A commit that fails makes the command fail, so
// the service never takes an asset left open for editing for a delivered one.
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

// The KUIDs installed, in archive order, each once.
KUIDList InstallArchiveAssets(const CDPArchive& archive, ResultsLog& log) {
    KUIDList installed;
    for (int32_t index = 0; index < archive.CountAssets(); ++index) {
        bool committed = false;
        AddUnique(installed, InstallArchivedAsset(archive.GetAsset(index), log,
                                                  kInstallOpenForEditing, committed, nullptr));
    }
    return installed;
}

void RevertAll(const KUIDList& installed) {
    for (const KUID& kuid : installed) {
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
    const ACSRawDataRef thumbnail = archive.GetNamedData(Kiv::PString("thumbnail"));
    const int32_t errorsBefore = log.ErrorCount();
    const KUIDList installed = InstallArchiveAssets(archive, log);
    if (log.ErrorCount() > errorsBefore) {
        RevertAll(installed);
        AddError(log, "Aborted processing");
        return false;
    }
    FetchAllMissingDependencies(installed);
    const bool committed = CommitAll(installed, log);
    const Kiv::File::Path folder = Kiv::File::Path(path).DelName();
    for (const KUID& kuid : installed) DescribeFPXAsset(kuid, folder, thumbnail, log);
    return committed;
}

int CommandFPXParse(CommandContext& context) {
    return ParseFPXArchive(context.Element(2), context.log) ? 0 : -1;
}

}  // namespace KodrinUtil
