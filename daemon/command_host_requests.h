// CommandHostRequests: the daemon's side of command hosts. A client that sends request 140
// becomes a command host; the daemon pushes it jobs as notes (kind 1) and takes each job's
// answer as request 141. Two sources of jobs: the script's "jobs" (scripted mode), pushed one
// at a time, each after the answer to the one before; and request 38 (validate an asset),
// relayed as job 0 to a command host, whose answer (a results log and a truth value)
// becomes 38's log and reply. When no host is registered the daemon starts one (the
// launcher that main sets), and without a launcher 38 is left to the daemon's own check of
// the folder. Command hosts do not keep the daemon from ending when idle.
// Record lines: "host <client> registered", "relay <client> host=<host>", "relay <client>
// failed reason=<word>".
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "daemon/daemon_record.h"
#include "daemon/daemon_request.h"

enum CommandHostRequestId : int32_t {
    kRequestValidateAsset = 38, // PString folder name, String asset folder -> bool
};

// How long a relayed validation waits: for a started host to register, and for its answer.
inline constexpr std::chrono::seconds kHostStartWait{30};
inline constexpr std::chrono::minutes kHostAnswerWait{5};

class CommandHostRequests {
  public:
    using NoteSender = std::function<bool(int client, const DaemonNote& note)>;
    using Launcher = std::function<bool()>;

    explicit CommandHostRequests(DaemonRecord& record) : record_(record) {}

    // How notes reach a client other than the requester (the server's SendNote).
    void SetNoteSender(NoteSender sender);
    // Starts a command host process; none: request 38 is not relayed unless a host runs.
    void SetLauncher(Launcher launcher);
    // Called (outside any lock here) when the set of command hosts changed.
    void SetHostsChanged(std::function<void()> changed);
    void SetScriptedJobs(std::vector<WireBytes> jobs);

    // Answers 140, 141 and (when it relays) 38; false for anything else.
    bool Answer(const DaemonRequest& request, DaemonResponse& response);
    bool IsHost(int client);
    // The client's link has ended: it is no host any more, and relays waiting on it fail.
    void ClientEnded(int client);
    // The daemon is ending: waiting relays fail at once, and no more are made.
    void Stop();

  private:
    struct Relay {
        std::optional<WireBytes> answer;
        bool failed = false;
    };
    // A job pushed to a host and not answered yet: a scripted one, or a relay.
    struct Pending {
        std::shared_ptr<Relay> relay; // null: scripted
    };

    void Register(const DaemonRequest& request, DaemonResponse& response);
    void TakeAnswer(const DaemonRequest& request, DaemonResponse& response);
    bool RelayValidation(const DaemonRequest& request, DaemonResponse& response);
    // A registered host, started when there is none; nothing when none came in time.
    std::optional<int> FindOrStartHost(std::unique_lock<std::mutex>& hold);
    // The next scripted job as a note, counted as pending on the host; none when all went.
    std::optional<DaemonNote> NextScriptedJobLocked(int host);
    void NotifyHostsChanged();

    DaemonRecord& record_;
    std::mutex lock_;
    std::condition_variable changed_;
    NoteSender sender_;
    Launcher launcher_;
    std::function<void()> hostsChanged_;
    std::set<int> hosts_;
    std::map<int, std::deque<Pending>> pending_;
    std::vector<WireBytes> scriptedJobs_;
    size_t nextScriptedJob_ = 0;
    bool scriptedJobOut_ = false;
    bool launching_ = false;
    bool stopping_ = false;
};
