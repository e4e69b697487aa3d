// RequestDispatcher: finds what answers a request id. A hook set for the id (library mode,
// script entries) comes first; else, or when the hook passes the request on, the daemon's
// own table of handlers; an id in neither gets an empty reply and an "unknown" record line.
// The repair (3, 4, repair_requests.h; its late entries go with any other request) and the
// command hosts (140, 141, and the validations relayed to them, 38; command_host_requests.h)
// follow the table; the asset requests come after them, answered by AssetRequests over the
// asset table when one is set, the installs (39, 40) by AssetInstaller. It also keeps the
// answers expected to questions the daemon asked, and checks request 150 against them.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "daemon/asset_install.h"
#include "daemon/asset_requests.h"
#include "daemon/command_host_requests.h"
#include "daemon/daemon_record.h"
#include "daemon/daemon_request.h"
#include "daemon/repair_requests.h"

using DaemonHook = std::function<void(const DaemonRequest&, DaemonResponse&)>;

// Request ids the daemon answers itself.
enum DaemonRequestId : int32_t {
    kRequestKeepAlive = 0,
    kRequestQuestionAnswer = 150,  // int32 transaction id, int32 answer
    kRequestCloseDaemon = 270,
};

class RequestDispatcher {
public:
    explicit RequestDispatcher(DaemonRecord& record) : record_(record) {}

    // An empty hook removes the id's hook. Safe while clients run.
    void SetHook(int32_t id, DaemonHook hook);
    // The asset table whose requests the daemon answers for real; none: empty replies.
    void SetAssetTable(std::shared_ptr<AssetTable> table);
    // How the repairs (requests 3 and 4) look to the clients (repair_requests.h).
    void SetRepairPlan(RepairPlan plan) { repairs_.SetPlan(std::move(plan)); }
    void Dispatch(const DaemonRequest& request, DaemonResponse& response);
    // Once the daemon serves the installation alone, before any client: removes the
    // staging folders of killed daemons and repairs "local" (AssetTable::RecoverLocalFolders),
    // one record line ("recover ...") and one line on standard error for each change.
    void Recover();
    // Long installs stop before their next asset (AssetInstaller::Stop): the daemon ends.
    void StopInstalls();
    // The answer expected to the question asked in transaction tid of client.
    void ExpectAnswer(int client, uint32_t transactionId, int32_t answer);
    CommandHostRequests& Hosts() { return hosts_; }

private:
    using Handler = void (RequestDispatcher::*)(const DaemonRequest&, DaemonResponse&);
    struct BuiltIn {
        int32_t id;
        Handler handler;
    };
    static const BuiltIn kBuiltIns[];
    static const BuiltIn* FindBuiltIn(int32_t id);

    void AnswerEmpty(const DaemonRequest& request, DaemonResponse& response);
    void AnswerQuestionAnswer(const DaemonRequest& request, DaemonResponse& response);
    void AnswerCloseDaemon(const DaemonRequest& request, DaemonResponse& response);

    DaemonHook FindHook(int32_t id);
    std::shared_ptr<AssetRequests> Assets();
    std::shared_ptr<AssetInstaller> Installer();
    std::optional<int32_t> TakeExpectedAnswer(int client, uint32_t transactionId);

    DaemonRecord& record_;
    std::mutex lock_;
    std::map<int32_t, DaemonHook> hooks_;
    std::shared_ptr<AssetRequests> assets_;
    std::shared_ptr<AssetInstaller> installer_;
    std::map<std::pair<int, uint32_t>, int32_t> expectedAnswers_;
    RepairRequests repairs_;
    CommandHostRequests hosts_{record_};
};
