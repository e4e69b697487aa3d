// DaemonServer: the stand-in asset-database daemon as an object, used by bin/kavdaemon and
// in-process by unit tests of the client's link (library mode). It listens on 127.0.0.1
// at a port the system picks, publishes the port in the discovery block of its database,
// serves any number of clients (up to a bound) each on its own reader and writer thread,
// and ends after request 270, after an idle time without clients, or on Stop. Ending
// clears the block's port and owner and closes every link.
//
//     DaemonServer server(options);
//     server.SetHook(21, [](const DaemonRequest& request, DaemonResponse& response) {...});
//     server.Start();
//     ... connect to server.Port(); server.SendNote(client, note) ...
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "daemon/daemon_connection.h"
#include "daemon/daemon_discovery.h"
#include "daemon/daemon_record.h"
#include "daemon/request_dispatcher.h"

struct DaemonOptions {
    // The database path ("...\UserData\assets.tdx") whose discovery block gets the port;
    // empty: no block, the port is only known through Port().
    std::string databasePath;
    // The record file (daemon_record.h); empty: none.
    std::string recordPath;
    // Time without any client after which the daemon ends (command hosts do not count);
    // 0 or less: never.
    std::chrono::milliseconds idleTime = std::chrono::minutes(5);
};

enum class DaemonStart { kStarted, kFailed, kOtherDaemon };
enum class DaemonExit { kCloseRequest, kIdle, kStopped };

class DaemonServer final : private DaemonConnectionHost {
public:
    explicit DaemonServer(DaemonOptions options);
    // Stops the server when it runs.
    ~DaemonServer();
    DaemonServer(const DaemonServer&) = delete;
    DaemonServer& operator=(const DaemonServer&) = delete;

    // The hook answers request id in place of the daemon's own handler; an empty hook
    // removes it. May be called at any time, also from a hook.
    void SetHook(int32_t id, DaemonHook hook);
    // The next count handshakes are read and their links closed without a reply; a
    // negative count: every handshake from now on; 0: none.
    void SetHandshakeFaults(int count);
    // The asset table the daemon answers asset requests from (request_dispatcher.h).
    void SetAssetTable(std::shared_ptr<AssetTable> table) {
        dispatcher_.SetAssetTable(std::move(table));
    }
    void SetRepairPlan(RepairPlan plan) { dispatcher_.SetRepairPlan(std::move(plan)); }
    // Command hosts (command_host_requests.h): the jobs of the script, and the starter of a
    // host process for relayed validations.
    void SetScriptedJobs(std::vector<WireBytes> jobs) {
        dispatcher_.Hosts().SetScriptedJobs(std::move(jobs));
    }
    void SetCommandHostLauncher(CommandHostRequests::Launcher launcher) {
        dispatcher_.Hosts().SetLauncher(std::move(launcher));
    }

    // kOtherDaemon: another daemon already serves the database (nothing started).
    DaemonStart Start();
    int32_t Port() const { return port_; }
    // The numbers of the clients whose handshake was answered and whose link is open.
    std::vector<int> Clients() const;
    // Queues a note for one client, or for every ready client when client is 0; answers
    // how many clients it was queued for.
    int SendNote(int client, const DaemonNote& note);

    // Blocks until the server has ended, and answers why.
    DaemonExit WaitForExit();
    // Ends the server (closing every link, clearing the block) and waits until it has ended.
    void Stop();

private:
    // DaemonConnectionHost
    RequestDispatcher& Dispatcher() override { return dispatcher_; }
    DaemonRecord& Record() override { return record_; }
    bool Recording() const override { return !options_.recordPath.empty(); }
    bool HandshakeReply(int32_t& word0, int32_t& word1) override;
    void OnEndRequested() override;
    void OnConnectionFinished() override;

    // The port into the discovery block, when the options name a database.
    DaemonStart Publish();
    bool Listen();
    void CloseListener();
    void ListenLoop();
    void Admit(int socket);
    void SuperviseLoop();
    DaemonExit WaitForEnd();
    void ReapFinished(std::unique_lock<std::mutex>& hold);
    // A connection that is not a command host; the caller holds lock_.
    bool HasOrdinaryClientLocked();
    void Shutdown(DaemonExit reason);
    void StopListening();
    void CloseLinks();

    DaemonOptions options_;
    DaemonRecord record_;
    RequestDispatcher dispatcher_{record_};
    DaemonDiscovery discovery_;
    std::atomic<int> handshakeFaults_{0};

    int listener_ = -1;
    int wakePipe_[2] = {-1, -1};
    int32_t port_ = 0;
    std::thread listenThread_;
    std::thread superviseThread_;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<DaemonConnection>> connections_;
    int nextClient_ = 1;
    std::chrono::steady_clock::time_point idleSince_;
    bool started_ = false;
    bool endRequested_ = false;
    bool stopRequested_ = false;
    bool ended_ = false;
    bool busy_ = false; // an ordinary client was connected when last looked
    DaemonExit exit_ = DaemonExit::kStopped;
};
