// Installing one asset of an archive: the tool writes the asset's files itself into the
// folder the daemon gives for an open (or new) asset, writes its config and, with option 2,
// commits it. Every path after the handle was obtained lets the handle go once; a failure
// before or while writing files or the config reverts the asset, so nothing half-written
// stays open (an asset without its config would be committed broken). A handle whose
// folder the daemon does not name is refused like a missing handle: writing into an empty
// path would fill the working folder.
#include "client/commands/install_archived_asset.h"

#include "link/kav/kav_client.h"
#include "foundation/cdp/cdp_archive.h"
#include "foundation/files/file_paths.h"
#include "foundation/results/kodrin_property.h"
#include "foundation/results/results_log.h"
#include "foundation/text/interface_text.h"

namespace KodrinUtil {

namespace {

struct PromptPair {
    const char* prompt;
    const char* log;
};

// The question about an installed asset, by its state; the first match wins.
PromptPair ChoosePrompt(const KAVAssetInfo& info) {
    if (info.flags2 & KAVAssetFlags::kOpenForEditing)
        return {"$kav_prompt_openforedit", "$kav_prompt_openforedit_log"};
    if (info.flags1 & KAVAssetFlags::kBuiltIn)
        return {"$kav_prompt_builtin", "$kav_prompt_builtin_log"};
    if (info.flags1 & KAVAssetFlags::kFromDownloadService)
        return {"$kav_prompt_fpx_item", "$kav_prompt_fpx_item_log"};
    return {"$kav_prompt_alreadyinstalled", "$kav_prompt_alreadyinstalled_log"};
}

// One entry of the interface text key about the asset, with the parameter asset_kuid.
void AddAssetEntry(ResultsLog& log, int32_t kind, const KUID& kuid, const char* key) {
    auto* asset = new KodrinPropertyAssetID(Kiv::PString("AssetID"), kuid);
    const ResultsLogParameters parameters = {{"asset_kuid", Kiv::String(kuid.ToTag())}};
    log.AddEntry(kind, asset, GetInterfaceText(Kiv::PString(key)), &parameters);
    asset->Release();
}

int32_t CommitFlags(int32_t options) {
    int32_t flags = 0;
    if (options & kInstallChecksumVerified) flags |= 6;
    if (options & kInstallCommitPassOn) flags |= 8;
    return flags;
}

// A handle on the asset: the installed one opened for edit, else a new one.
KAVAssetHandle GetHandle(const KAVAssetInfo& info, const KUID& kuid, const Kiv::String& name) {
    if (info.valid) return KAVClient::OpenAsset(kuid, true, nullptr);
    return KAVClient::CreateAsset(kuid, false, name);
}

// False when the handler (if any) keeps the installed asset as it is.
bool MayReplace(const KAVAssetInfo& info, const KUID& kuid, ResultsLog& log,
                ConflictQuestionHandler* handler) {
    if (!handler) return true;
    const PromptPair pair = ChoosePrompt(info);
    const int32_t answer =
        handler->AskConflictAction(GetInterfaceText(Kiv::PString(pair.prompt)),
                                   GetInterfaceText(Kiv::PString(pair.log)), kuid, &log);
    return IsReplaceAnswer(answer);
}

} // namespace

KUID InstallArchivedAsset(const CDPAsset& asset, ResultsLog& log, int32_t options, bool& committed,
                          ConflictQuestionHandler* handler) {
    const ACSChunkRef files = asset.GetFiles();
    options = asset.VerifyChecksum() ? options | kInstallChecksumVerified
                                     : options & ~kInstallChecksumVerified;
    const KUID kuid = asset.GetKUID();
    KAVAssetInfo info;
    KAVClient::GetAssetInfo(kuid, info, kAssetDetailAll);
    CDPAsset copy(asset.GetConfig());
    const ACSChunkRef config = copy.MakeInstallConfig();
    const Kiv::String name = KAVAssetInfo::DisplayName(config);

    const bool installed = info.valid && (info.flags1 & KAVAssetFlags::kInstalledLocally);
    if (installed) {
        if (!MayReplace(info, kuid, log, handler)) return KUID::Null();
        options &= ~kInstallCommitted;
    }

    KAVAssetHandle handle = GetHandle(info, kuid, name);
    Kiv::PString location;
    Kiv::File::Path folder;
    if (!handle.IsValid() || !handle.FetchDetails(location, folder) || folder.IsEmpty()) {
        if (handle.IsValid()) KAVClient::RevertAsset(handle, nullptr);
        AddAssetEntry(log, ResultsLogKind::Error, kuid, "$kav_write_error");
        return KUID::Null();
    }

    if (installed) {
        if (!DeleteTreeUnder(Kiv::PString(), folder)) {
            AddAssetEntry(log, ResultsLogKind::Error, kuid, "$kav_overwrite_error");
            return KUID::Null();
        }
        MakeDirectoryUnder(Kiv::PString(), folder);
    }

    const bool commit = (options & kInstallCommitted) != 0;
    const Kiv::PString failure = CDPArchive::ExtractFiles(
        files, Kiv::PString(folder.View()), Kiv::File::Path(), asset.GetCompression());
    if (!failure.IsEmpty() ||
        !config.SaveToFile(folder.c_str(), commit ? "config.chump" : "config.txt", nullptr)) {
        AddAssetEntry(log, ResultsLogKind::Error, kuid, "$kav_failed_install");
        KAVClient::RevertAsset(handle, nullptr);
        return KUID::Null();
    }
    if (commit && !KAVClient::CommitAsset(handle, CommitFlags(options), &log, committed)) {
        return KUID::Null();
    }
    KAVClient::SetAssetFavorite(kuid, true);
    AddAssetEntry(log, ResultsLogKind::Success, kuid, "$kav_installed");
    return kuid;
}

} // namespace KodrinUtil
