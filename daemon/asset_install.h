// AssetInstaller: the daemon's installs. Request 39 installs the asset folder it names
// (its config from "config.txt", else "config.chump"); request 40 installs every asset of
// a CDP archive. Each asset is built in a staging folder, then moved into "local" under the
// table's folder naming and registered from its config, so the table knows it at once.
// An asset already installed is replaced (its old folders, an edit copy among them, go to
// "trash", and replaced edits are named in a warning) when the caller has no question
// handler. With one, the daemon asks and keeps the staged copy until
// request 150 brings the answer: the reply cannot wait for it, since a client's requests,
// the answer among them, are read by the one thread that is serving the install. The mode
// sent with either request (how the client's own installs save and commit) changes nothing
// here. Record lines: "install-answer <client> tid=<n> answer=<n> replaced=<n> kept=<n>
// failed=<n>" and "install-expired <client> tid=<n>" for an install that waited too long.
//
//     AssetInstaller installer(table, record);
//     installer.Answer(request, response);          // false: neither 39 nor 40
//     installer.TakeAnswer(client, tid, answer);    // from request 150
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "daemon/asset_install_run.h"
#include "daemon/asset_install_staging.h"
#include "daemon/asset_table.h"
#include "daemon/daemon_record.h"
#include "daemon/daemon_request.h"

class CDPArchive;

enum AssetInstallRequestId : int32_t {
    kRequestInstallFromFolder = 39, // String folder, int32 mode, byte has-handler -> KUID, bool
    kRequestInstallArchive = 40,    // String path, int32 mode, byte has-handler -> uint32, bool
};

// The start of the error entry of an install the daemon's end cut short.
constexpr const char* kClosingText = "The asset database is closing:";
// Answers that replace the installed asset; every other answer keeps it.
constexpr int32_t kAnswerReplace = 2;
constexpr int32_t kAnswerReplaceAll = 3;
// Requests whose staged assets wait for an answer at one time; past it the oldest are
// discarded, so clients that never answer cannot fill the disk.
constexpr size_t kMaxWaitingInstalls = 16;

class AssetInstaller {
  public:
    AssetInstaller(std::shared_ptr<AssetTable> table, DaemonRecord& record);
    AssetInstaller(const AssetInstaller&) = delete;
    AssetInstaller& operator=(const AssetInstaller&) = delete;

    bool Answer(const DaemonRequest& request, DaemonResponse& response);
    // The staging folders of other daemons, removed (InstallStaging::RemoveLeftovers).
    std::vector<std::filesystem::path> RemoveStagingLeftovers() {
        return staging_.RemoveLeftovers();
    }
    // The daemon is ending: an install stops before its next asset (what is installed
    // stays installed, the rest is reported not installed) and later installs are refused.
    void Stop() { stopping_.store(true); }
    // The answer to the question of transaction tid of client; nothing when none waits.
    void TakeAnswer(int client, uint32_t transactionId, int32_t answer);

    enum class Outcome { kInstalled, kWaiting, kFailed };

  private:
    struct Waiting {
        uint64_t order = 0;
        std::vector<StagedAsset> assets;
    };
    using WaitingKey = std::pair<int, uint32_t>;

    void InstallFolder(const DaemonRequest& request, DaemonResponse& response);
    void InstallArchive(const DaemonRequest& request, DaemonResponse& response);
    // The folder's asset, staged; false with an error entry. shown: the path as sent.
    bool StageFolder(const std::filesystem::path& source, const std::string& shown,
                     StagedAsset& staged, InstallRun& run);
    // Stages and settles the archive's index-th entry.
    Outcome InstallArchivedEntry(const CDPArchive& archive, int32_t index, InstallRun& run);
    bool IsInstalled(const KUID& kuid);
    // Installs the staged asset, replaces the installed one, or holds it for the answer.
    Outcome Settle(StagedAsset staged, InstallRun& run);
    // Moves the staged folder into "local" and registers it, the installed asset going to
    // the trash when replace (its edit copy too, keptEdits telling where); the error text,
    // empty on success. The caller holds lock_.
    std::string PlaceLocked(const StagedAsset& staged, bool replace,
                            std::filesystem::path* keptEdits = nullptr);
    // The warning that an install replaced an asset open for editing, and where its edits
    // were kept.
    void ReportReplacedEdits(const AssetRecord& installed, const std::filesystem::path& keptEdits,
                             InstallRun& run);
    // Keeps the run's held assets under its transaction.
    void Book(InstallRun& run);

    std::shared_ptr<AssetTable> table_;
    DaemonRecord& record_;
    InstallStaging staging_;
    std::mutex lock_; // the table changes of installs, and the waiting book
    std::map<WaitingKey, Waiting> waiting_;
    uint64_t nextOrder_ = 0;
    std::atomic<bool> stopping_{false};
};
