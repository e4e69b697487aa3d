// Hooks run outside the dispatcher's lock, so a hook may set hooks or send notes itself.
#include "daemon/request_dispatcher.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "daemon/asset_archive_entry.h"
#include "daemon/wire_bytes.h"

// The daemon's own answers. Columns: request id, handler. The keep-alive (0) carries
// nothing: it gets its empty reply.
const RequestDispatcher::BuiltIn RequestDispatcher::kBuiltIns[] = {
    {kRequestKeepAlive, &RequestDispatcher::AnswerEmpty},
    {kRequestQuestionAnswer, &RequestDispatcher::AnswerQuestionAnswer},
    {kRequestCloseDaemon, &RequestDispatcher::AnswerCloseDaemon},
};

void RequestDispatcher::SetHook(int32_t id, DaemonHook hook) {
    std::lock_guard<std::mutex> hold(lock_);
    if (hook) {
        hooks_[id] = std::move(hook);
    } else {
        hooks_.erase(id);
    }
}

void RequestDispatcher::SetAssetTable(std::shared_ptr<AssetTable> table) {
    auto installer = table ? std::make_shared<AssetInstaller>(table, record_) : nullptr;
    auto assets = table ? std::make_shared<AssetRequests>(std::move(table), record_) : nullptr;
    std::lock_guard<std::mutex> hold(lock_);
    assets_ = std::move(assets);
    installer_ = std::move(installer);
}

void RequestDispatcher::Recover() {
    std::shared_ptr<AssetRequests> assets = Assets();
    std::shared_ptr<AssetInstaller> installer = Installer();
    if (!assets || !installer) return;
    std::vector<std::string> changes;
    for (const std::filesystem::path& folder : installer->RemoveStagingLeftovers())
        changes.push_back(folder.string() + " left by an ended daemon, removed");
    for (std::string& change : assets->Table().RecoverLocalFolders())
        changes.push_back(std::move(change));
    for (const std::string& change : changes) {
        record_.Line("recover " + change);
        std::fprintf(stderr, "kavdaemon: %s\n", change.c_str());
    }
}

void RequestDispatcher::Dispatch(const DaemonRequest& request, DaemonResponse& response) {
    repairs_.AddLateNotes(request, response);
    if (DaemonHook hook = FindHook(request.id)) {
        hook(request, response);
        if (!response.passOn) return;
    }
    if (const BuiltIn* builtIn = FindBuiltIn(request.id)) {
        (this->*builtIn->handler)(request, response);
        return;
    }
    if (repairs_.Answer(request, response)) return;
    if (hosts_.Answer(request, response)) return;
    if (std::shared_ptr<AssetInstaller> installer = Installer()) {
        if (installer->Answer(request, response)) return;
    }
    if (std::shared_ptr<AssetRequests> assets = Assets()) {
        if (AnswerArchivedAsset(*assets, request, response)) return;
        if (assets->Answer(request, response)) return;
    }
    record_.Line("unknown " + std::to_string(request.client) + " id=" + std::to_string(request.id) +
                 " tid=" + std::to_string(request.transactionId));
}

void RequestDispatcher::ExpectAnswer(int client, uint32_t transactionId, int32_t answer) {
    std::lock_guard<std::mutex> hold(lock_);
    expectedAnswers_[{client, transactionId}] = answer;
}

const RequestDispatcher::BuiltIn* RequestDispatcher::FindBuiltIn(int32_t id) {
    for (const BuiltIn& builtIn : kBuiltIns) {
        if (builtIn.id == id) return &builtIn;
    }
    return nullptr;
}

void RequestDispatcher::AnswerEmpty(const DaemonRequest&, DaemonResponse&) {}

void RequestDispatcher::AnswerQuestionAnswer(const DaemonRequest& request, DaemonResponse&) {
    WireReader reader(request.payload);
    const auto transactionId = static_cast<uint32_t>(reader.Int32());
    const int32_t answer = reader.Int32();
    std::string line = "answer " + std::to_string(request.client);
    if (reader.Failed()) {
        record_.Line(line + " short");
        return;
    }
    line += " tid=" + std::to_string(transactionId) + " value=" + std::to_string(answer);
    const std::optional<int32_t> expected = TakeExpectedAnswer(request.client, transactionId);
    if (!expected) {
        record_.Line(line + " expected=none match=no");
    } else {
        record_.Line(line + " expected=" + std::to_string(*expected) +
                     (*expected == answer ? " match=yes" : " match=no"));
    }
    if (std::shared_ptr<AssetInstaller> installer = Installer()) {
        installer->TakeAnswer(request.client, transactionId, answer);
    }
}

void RequestDispatcher::AnswerCloseDaemon(const DaemonRequest&, DaemonResponse& response) {
    StopInstalls();
    response.endDaemon = true;
}

void RequestDispatcher::StopInstalls() {
    if (std::shared_ptr<AssetInstaller> installer = Installer()) installer->Stop();
}

DaemonHook RequestDispatcher::FindHook(int32_t id) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = hooks_.find(id);
    return found == hooks_.end() ? DaemonHook() : found->second;
}

std::shared_ptr<AssetRequests> RequestDispatcher::Assets() {
    std::lock_guard<std::mutex> hold(lock_);
    return assets_;
}

std::shared_ptr<AssetInstaller> RequestDispatcher::Installer() {
    std::lock_guard<std::mutex> hold(lock_);
    return installer_;
}

std::optional<int32_t> RequestDispatcher::TakeExpectedAnswer(int client, uint32_t transactionId) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = expectedAnswers_.find({client, transactionId});
    if (found == expectedAnswers_.end()) return std::nullopt;
    const int32_t answer = found->second;
    expectedAnswers_.erase(found);
    return answer;
}
