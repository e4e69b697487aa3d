// The installer's common steps: which request it answers, settling a staged asset against
// the table (install, replace or hold), placing it in "local", and the book of assets that
// wait for an answer. Installs change the table under one lock, so two clients installing
// the same asset cannot both find it absent.
#include "daemon/asset_install.h"

#include "daemon/asset_table_names.h"
#include "daemon/daemon_interface_text.h"
#include "daemon/folder_move.h"

namespace fs = std::filesystem;

namespace {

// Names tried after the plain one when that is taken ("..._2" and on).
constexpr int kMaxFolderSuffix = 1000;

bool NameInUse(AssetTable& table, const std::string& name) {
    std::error_code error;
    if (fs::exists(table.UserData() / kLocal / name, error) || error) return true;
    if (fs::exists(table.UserData() / kEditing / name, error) || error) return true;
    return table.HasFolder(name);
}

// A name in "local" that no folder and no record uses; empty when none was found.
std::string FreeFolderName(AssetTable& table, const KUID& kuid) {
    const std::string plain = AssetFolderName(kuid);
    if (!NameInUse(table, plain)) return plain;
    for (int suffix = 2; suffix <= kMaxFolderSuffix; ++suffix) {
        const std::string name = plain + "_" + std::to_string(suffix);
        if (!NameInUse(table, name)) return name;
    }
    return {};
}

} // namespace

AssetInstaller::AssetInstaller(std::shared_ptr<AssetTable> table, DaemonRecord& record)
    : table_(std::move(table)), record_(record), staging_(table_->UserData()) {}

bool AssetInstaller::Answer(const DaemonRequest& request, DaemonResponse& response) {
    switch (request.id) {
    case kRequestInstallFromFolder:
        InstallFolder(request, response);
        return true;
    case kRequestInstallArchive:
        InstallArchive(request, response);
        return true;
    default:
        return false;
    }
}

AssetInstaller::Outcome AssetInstaller::Settle(StagedAsset staged, InstallRun& run) {
    std::lock_guard<std::mutex> hold(lock_);
    const std::optional<AssetRecord> installed = table_->Find(staged.kuid);
    if (installed && run.HasHandler()) {
        run.Hold(std::move(staged), *installed);
        return Outcome::kWaiting;
    }
    fs::path keptEdits;
    const std::string failure = PlaceLocked(staged, installed.has_value(), &keptEdits);
    if (!failure.empty()) {
        InstallStaging::Discard(staged.folder);
        run.Error(staged.kuid, failure);
        return Outcome::kFailed;
    }
    if (installed && installed->editing) ReportReplacedEdits(*installed, keptEdits, run);
    run.Add(ResultsLogKind::Success, staged.kuid,
            installed ? "Installed, replacing the earlier copy." : "Installed.");
    return Outcome::kInstalled;
}

void AssetInstaller::ReportReplacedEdits(const AssetRecord& installed, const fs::path& keptEdits,
                                         InstallRun& run) {
    const fs::path installation = table_->UserData().parent_path();
    const std::string name =
        installed.name.empty() ? std::string(installed.kuid.ToTag().View()) : installed.name;
    const ResultsLogParameters parameters = {
        {"asset_name", Kiv::String(name)},
        {"action", Kiv::String(DaemonInterfaceText(installation, "$kav_prompt_overwritten"))},
    };
    run.Add(ResultsLogKind::Warning, installed.kuid,
            DaemonInterfaceText(installation, "$kav_prompt_openforedit_log"), &parameters);
    if (keptEdits.empty()) return;
    run.Add(ResultsLogKind::Information, installed.kuid,
            "The asset's edits were kept in " + keptEdits.string() + ".");
}

std::string AssetInstaller::PlaceLocked(const StagedAsset& staged, bool replace,
                                        fs::path* keptEdits) {
    const std::string name = FreeFolderName(*table_, staged.kuid);
    if (name.empty()) return "There is no free folder name for the asset in \"local\".";
    const fs::path target = table_->UserData() / kLocal / name;
    std::string why;
    if (!MoveFolder(staged.folder, target, why)) {
        return "Cannot move the asset into \"local\": " + why + ".";
    }
    std::error_code error;
    if (!replace && table_->Find(staged.kuid)) {
        fs::remove_all(target, error);
        return "The asset is installed already.";
    }
    if (table_->Install(target, keptEdits, why)) return {};
    fs::remove_all(target, error);
    return why;
}

void AssetInstaller::Book(InstallRun& run) {
    if (!run.HasHeld()) return;
    const WaitingKey key{run.Request().client, run.Request().transactionId};
    std::vector<Waiting> dropped;
    {
        std::lock_guard<std::mutex> hold(lock_);
        auto same = waiting_.find(key);
        if (same != waiting_.end()) {
            dropped.push_back(std::move(same->second));
            waiting_.erase(same);
        }
        while (waiting_.size() >= kMaxWaitingInstalls) {
            auto oldest = waiting_.begin();
            for (auto at = waiting_.begin(); at != waiting_.end(); ++at) {
                if (at->second.order < oldest->second.order) oldest = at;
            }
            record_.Line("install-expired " + std::to_string(oldest->first.first) +
                         " tid=" + std::to_string(oldest->first.second));
            dropped.push_back(std::move(oldest->second));
            waiting_.erase(oldest);
        }
        waiting_[key] = Waiting{nextOrder_++, run.TakeHeld()};
    }
    for (const Waiting& waiting : dropped) {
        for (const StagedAsset& staged : waiting.assets)
            InstallStaging::Discard(staged.folder);
    }
}

void AssetInstaller::TakeAnswer(int client, uint32_t transactionId, int32_t answer) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = waiting_.find({client, transactionId});
    if (found == waiting_.end()) return;
    const Waiting waiting = std::move(found->second);
    waiting_.erase(found);
    const bool replace = answer == kAnswerReplace || answer == kAnswerReplaceAll;
    int replaced = 0;
    int failed = 0;
    for (const StagedAsset& staged : waiting.assets) {
        if (replace && PlaceLocked(staged, true).empty()) {
            ++replaced;
            continue;
        }
        if (replace) ++failed;
        InstallStaging::Discard(staged.folder);
    }
    const int kept = static_cast<int>(waiting.assets.size()) - replaced - failed;
    record_.Line("install-answer " + std::to_string(client) +
                 " tid=" + std::to_string(transactionId) + " answer=" + std::to_string(answer) +
                 " replaced=" + std::to_string(replaced) + " kept=" + std::to_string(kept) +
                 " failed=" + std::to_string(failed));
}
