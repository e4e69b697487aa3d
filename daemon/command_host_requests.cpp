// The hosts, their unanswered jobs and the waiting relays share one lock. Notes to another
// client go out through the server, whose lock is taken before this one elsewhere (the idle
// check asks IsHost), so they are sent only after this lock was let go. A host answers its
// jobs in order, so each 141 answers the oldest job pending on that host.
#include "daemon/command_host_requests.h"

#include <string>

#include "daemon/request_log.h"
#include "foundation/results/results_log.h"
#include "foundation/streams/buffer_stream.h"

namespace {

constexpr int32_t kRequestRegisterHost = 140;
constexpr int32_t kRequestHostAnswer = 141;
constexpr int32_t kJobValidate = 0;

WireBytes BytesOf(BufferStream& stream) {
    const uint8_t* data = stream.Buffer().GetData();
    return WireBytes(data, data + static_cast<size_t>(stream.Stream().Tell()));
}

// Job 0's payload from request 38's: the folder name, and the asset's folder as a PString.
std::optional<WireBytes> ValidationJob(const WireBytes& payload) {
    BufferStream in;
    in.Stream().WriteBytes(payload.data(), payload.size());
    in.Stream().Rewind();
    Kiv::PString location;
    Kiv::String folder;
    in.Stream().ReadPString(location);
    in.Stream().ReadString(folder);
    if (in.Stream().GetError() != 0) return std::nullopt;
    BufferStream job;
    job.Stream().WriteInt32(kJobValidate);
    job.Stream().WritePString(location);
    job.Stream().WritePString(folder.ToPString());
    return BytesOf(job);
}

// The host's answer to a validation (a results log, then one byte) as 38's log note and
// reply; false when it does not read so.
bool AnswerFromHost(const WireBytes& answer, uint32_t transactionId, DaemonResponse& response) {
    if (answer.empty()) return false;
    BufferStream in;
    in.Stream().WriteBytes(answer.data(), answer.size());
    in.Stream().Rewind();
    ResultsLog log;
    log.Read(in.Stream());
    const size_t logSize = answer.size() - 1;
    if (in.Stream().GetError() != 0 || static_cast<size_t>(in.Stream().Tell()) != logSize) {
        return false;
    }
    if (log.EntryCount() != 0) {
        WireBytes note;
        WireWriter(note).UInt32(transactionId).Bytes(answer.data(), logSize);
        response.notes.push_back({kNoteResultsLog, std::move(note), {}});
    }
    response.reply = {answer.back()};
    return true;
}

} // namespace

void CommandHostRequests::SetNoteSender(NoteSender sender) {
    std::lock_guard<std::mutex> hold(lock_);
    sender_ = std::move(sender);
}

void CommandHostRequests::SetLauncher(Launcher launcher) {
    std::lock_guard<std::mutex> hold(lock_);
    launcher_ = std::move(launcher);
}

void CommandHostRequests::SetHostsChanged(std::function<void()> changed) {
    std::lock_guard<std::mutex> hold(lock_);
    hostsChanged_ = std::move(changed);
}

void CommandHostRequests::SetScriptedJobs(std::vector<WireBytes> jobs) {
    std::lock_guard<std::mutex> hold(lock_);
    scriptedJobs_ = std::move(jobs);
    nextScriptedJob_ = 0;
}

bool CommandHostRequests::Answer(const DaemonRequest& request, DaemonResponse& response) {
    switch (request.id) {
    case kRequestRegisterHost:
        Register(request, response);
        return true;
    case kRequestHostAnswer:
        TakeAnswer(request, response);
        return true;
    case kRequestValidateAsset:
        return RelayValidation(request, response);
    default:
        return false;
    }
}

bool CommandHostRequests::IsHost(int client) {
    std::lock_guard<std::mutex> hold(lock_);
    return hosts_.count(client) != 0;
}

void CommandHostRequests::Register(const DaemonRequest& request, DaemonResponse& response) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        hosts_.insert(request.client);
        record_.Line("host " + std::to_string(request.client) + " registered");
        if (!scriptedJobOut_) {
            if (std::optional<DaemonNote> job = NextScriptedJobLocked(request.client)) {
                response.notes.push_back(std::move(*job));
            }
        }
    }
    changed_.notify_all();
    NotifyHostsChanged();
}

void CommandHostRequests::TakeAnswer(const DaemonRequest& request, DaemonResponse& response) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        std::deque<Pending>& pending = pending_[request.client];
        if (pending.empty()) return;
        const Pending job = pending.front();
        pending.pop_front();
        if (job.relay) {
            job.relay->answer = request.payload;
        } else {
            scriptedJobOut_ = false;
            if (std::optional<DaemonNote> next = NextScriptedJobLocked(request.client)) {
                response.notes.push_back(std::move(*next));
            }
        }
    }
    changed_.notify_all();
}

std::optional<DaemonNote> CommandHostRequests::NextScriptedJobLocked(int host) {
    if (nextScriptedJob_ >= scriptedJobs_.size()) return std::nullopt;
    DaemonNote note;
    note.kind = kNoteCommandJob;
    note.payload = scriptedJobs_[nextScriptedJob_++];
    pending_[host].push_back(Pending{});
    scriptedJobOut_ = true;
    return note;
}

std::optional<int> CommandHostRequests::FindOrStartHost(std::unique_lock<std::mutex>& hold) {
    if (hosts_.empty() && !launching_) {
        launching_ = true;
        const Launcher launcher = launcher_;
        hold.unlock();
        const bool started = launcher();
        hold.lock();
        launching_ = false;
        if (!started) return std::nullopt;
    }
    changed_.wait_for(hold, kHostStartWait, [this] { return !hosts_.empty() || stopping_; });
    if (hosts_.empty() || stopping_) return std::nullopt;
    return *hosts_.begin();
}

bool CommandHostRequests::RelayValidation(const DaemonRequest& request, DaemonResponse& response) {
    std::unique_lock<std::mutex> hold(lock_);
    if (!launcher_ && hosts_.empty()) return false;
    if (stopping_) {
        response.reply = {0};
        return true;
    }
    const std::string who = "relay " + std::to_string(request.client);
    RequestLog log;
    const std::optional<WireBytes> job = ValidationJob(request.payload);
    const std::optional<int> host = job ? FindOrStartHost(hold) : std::nullopt;
    if (!host) {
        record_.Line(who + (job ? " failed reason=no-host" : " failed reason=short"));
        hold.unlock();
        log.Error(KUID::Null(), job ? "No command host could be started to validate the asset."
                                    : "The validation request is incomplete.");
        log.MoveTo(response, request.transactionId);
        response.reply = {0};
        return true;
    }
    auto relay = std::make_shared<Relay>();
    pending_[*host].push_back(Pending{relay});
    const NoteSender sender = sender_;
    record_.Line(who + " host=" + std::to_string(*host));
    hold.unlock();
    const bool sent = sender && sender(*host, DaemonNote{kNoteCommandJob, *job, {}});
    hold.lock();
    if (!sent) relay->failed = true;
    changed_.wait_for(hold, kHostAnswerWait,
                      [&] { return relay->answer || relay->failed || stopping_; });
    const std::optional<WireBytes> answer = relay->answer;
    hold.unlock();
    if (answer && AnswerFromHost(*answer, request.transactionId, response)) return true;
    record_.Line(who + " failed reason=" + (answer ? "bad-answer" : "no-answer"));
    log.Error(KUID::Null(), "The command host did not answer the validation.");
    log.MoveTo(response, request.transactionId);
    response.reply = {0};
    return true;
}

void CommandHostRequests::ClientEnded(int client) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (hosts_.erase(client) == 0 && pending_.count(client) == 0) return;
        for (const Pending& job : pending_[client]) {
            if (job.relay) {
                job.relay->failed = true;
            } else {
                scriptedJobOut_ = false;
            }
        }
        pending_.erase(client);
    }
    changed_.notify_all();
    NotifyHostsChanged();
}

void CommandHostRequests::Stop() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
}

void CommandHostRequests::NotifyHostsChanged() {
    std::function<void()> changed;
    {
        std::lock_guard<std::mutex> hold(lock_);
        changed = hostsChanged_;
    }
    if (changed) changed();
}
