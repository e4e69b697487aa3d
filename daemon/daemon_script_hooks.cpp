// The entries of one id are shared by every client's thread, so their cursor is locked.
#include "daemon/daemon_script_hooks.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

class ScriptedRequest {
public:
    void Add(const ScriptAnswer& answer) { entries_.push_back(answer); }

    void Answer(const DaemonRequest& request, DaemonResponse& response) {
        const ScriptAnswer* entry = Next();
        if (!entry) {
            response.passOn = true;
            return;
        }
        for (const ScriptNote& note : entry->notes) {
            response.notes.push_back(note.ForTransaction(request.transactionId));
        }
        response.reply = entry->reply;
        response.fault = entry->fault;
        response.passOn = entry->daemonReply;
    }

private:
    // The entry that answers this request, counting its use; null when all are used up.
    const ScriptAnswer* Next() {
        std::lock_guard<std::mutex> hold(lock_);
        if (current_ >= entries_.size()) return nullptr;
        const ScriptAnswer* entry = &entries_[current_];
        if (entry->times > 0 && ++used_ == entry->times) {
            ++current_;
            used_ = 0;
        }
        return entry;
    }

    std::mutex lock_;
    std::vector<ScriptAnswer> entries_;
    size_t current_ = 0;
    int32_t used_ = 0;
};

}  // namespace

void InstallDaemonScript(const DaemonScript& script, DaemonServer& server) {
    std::map<int32_t, std::shared_ptr<ScriptedRequest>> requests;
    for (const ScriptAnswer& answer : script.answers) {
        auto& scripted = requests[answer.requestId];
        if (!scripted) scripted = std::make_shared<ScriptedRequest>();
        scripted->Add(answer);
    }
    // The pointer is copied by name: clang 14 cannot capture a structured binding.
    for (const auto& [id, entry] : requests) {
        const std::shared_ptr<ScriptedRequest> scripted = entry;
        server.SetHook(id, [scripted](const DaemonRequest& request, DaemonResponse& response) {
            scripted->Answer(request, response);
        });
    }
    server.SetHandshakeFaults(script.handshakeFaults);
    server.SetRepairPlan(script.repair);
    server.SetScriptedJobs(script.jobs);
}
