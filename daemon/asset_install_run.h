// InstallRun: what one install request (39 or 40) reports and leaves waiting. Its findings
// are results-log entries, sent as one kind-3 note before the reply. An asset that is
// already installed, when the caller has a question handler, is held with its staged copy
// until request 150 brings the answer; the request asks one question only, about the first
// asset it holds, because an answer names the transaction and not the question.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "daemon/asset_table.h"
#include "daemon/daemon_request.h"
#include "daemon/request_log.h"
#include "foundation/kuid/kuid.h"
#include "foundation/results/results_log.h"

// An asset built in a folder of its own under the staging folder, its config.txt written.
struct StagedAsset {
    KUID kuid;
    std::filesystem::path folder;
};

class InstallRun {
  public:
    InstallRun(const DaemonRequest& request, bool hasHandler)
        : request_(request), hasHandler_(hasHandler) {}

    const DaemonRequest& Request() const { return request_; }
    bool HasHandler() const { return hasHandler_; }

    // An entry about the asset (the null KUID: about none).
    void Add(int32_t kind, const KUID& kuid, const std::string& text,
             const ResultsLogParameters* parameters = nullptr) {
        log_.Add(kind, kuid, text, parameters);
    }
    void Error(const KUID& kuid, const std::string& text) { log_.Error(kuid, text); }
    bool HasErrors() const { return log_.HasErrors(); }

    // Keeps the staged asset for the answer; the first one held is asked about, with the
    // prompt that fits the installed asset's state.
    void Hold(StagedAsset staged, const AssetRecord& installed);
    bool HasHeld() const { return !held_.empty(); }
    std::vector<StagedAsset> TakeHeld() { return std::move(held_); }

    // The log note, then the question when one was asked.
    void MoveNotesTo(DaemonResponse& response);

  private:
    const DaemonRequest& request_;
    bool hasHandler_;
    RequestLog log_;
    std::vector<StagedAsset> held_;
    std::vector<DaemonNote> questions_;
};

// The interface-text key of the question about replacing an installed asset.
const char* ConflictPromptKey(const AssetRecord& installed);
