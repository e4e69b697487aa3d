// The transaction registry: one lock over the map, the id counter and every transaction's
// registered, failed and sent bytes. Nothing waits while holding it, except the reading of
// a results-log note into a registered log, which must not race with that log's owner.
#include "link/kav/kav_client_transaction.h"

#include <map>

#include "link/kav/kav_link_format.h"
#include "link/kav/kav_question_handler.h"
#include "foundation/console/log_message.h"
#include "foundation/results/results_log.h"

namespace {

struct TransactionRegistry {
    Kiv::CriticalSection lock;
    std::map<uint32_t, KAVClientTransaction*> transactions;
    uint32_t nextId = 1;
};

// Never destroyed: requests may still end on other threads while the process exits.
TransactionRegistry& Registry() {
    static auto* registry = new TransactionRegistry;
    return *registry;
}

// After 0xFFFFFFFF comes 1: 0 means "not registered".
uint32_t Following(uint32_t id) { return id == 0xFFFFFFFFu ? 1 : id + 1; }

int32_t LogId(uint32_t id) { return static_cast<int32_t>(id); }

}  // namespace

KAVClientTransaction::~KAVClientTransaction() {
    Unregister();
    for (;;) {
        {
            Kiv::SingleLock hold(Registry().lock);
            if (questions_ == 0) return;
        }
        questionsDone_.Wait();
    }
}

void KAVClientTransaction::Register() {
    TransactionRegistry& registry = Registry();
    Kiv::SingleLock hold(registry.lock);
    if (registered_) return;
    // An id still held by a transaction from 4 billion requests ago is skipped.
    uint32_t id = registry.nextId;
    while (registry.transactions.count(id) != 0) id = Following(id);
    registry.nextId = Following(id);
    id_ = id;
    registered_ = true;
    registry.transactions[id] = this;
    RegisterLog();
}

void KAVClientTransaction::RegisterLog() {
    if (log_ != nullptr && id_ != 0) ResultsLog::RegisterRequest(LogId(id_), log_);
}

void KAVClientTransaction::Unregister() {
    TransactionRegistry& registry = Registry();
    Kiv::SingleLock hold(registry.lock);
    if (!registered_) return;
    if (!keepLog_ && log_ != nullptr) ResultsLog::UnregisterRequest(LogId(id_));
    registry.transactions.erase(id_);
    registered_ = false;
    failed_ = false;
    sent_ = false;
}

bool KAVClientTransaction::IsRegistered() const {
    Kiv::SingleLock hold(Registry().lock);
    return registered_;
}

void KAVClientTransaction::PrepareSend(uint64_t linkSerial) {
    Kiv::SingleLock hold(Registry().lock);
    failed_ = false;
    event_.Reset();
    sent_ = true;
    linkSerial_ = linkSerial;
}

bool KAVClientTransaction::Wait() {
    if (id_ == 0) return false;
    event_.Wait();
    event_.Reset();
    Kiv::SingleLock hold(Registry().lock);
    return !failed_;
}

void KAVClientTransaction::SignalFailed() {
    Kiv::SingleLock hold(Registry().lock);
    failed_ = true;
    event_.Set();
}

void KAVClientTransaction::SignalDone() {
    Kiv::SingleLock hold(Registry().lock);
    failed_ = false;
    event_.Set();
}

int32_t KAVClientTransaction::AskHandler(const Kiv::String& promptKey, const KUID& kuid) {
    if (handler_ == nullptr) return KAVLink::Answer::kNoHandler;
    Kiv::String outText;
    return handler_->Ask(promptKey, outText, kuid, 0);
}

bool KAVClientTransaction::ReceiveReply(uint32_t id) {
    TransactionRegistry& registry = Registry();
    Kiv::SingleLock hold(registry.lock);
    auto found = registry.transactions.find(id);
    // A reply before the request went out can only be a stray one: its requester would
    // never read it.
    if (found == registry.transactions.end() || !found->second->sent_) {
        LogMessage("KAVClientTransaction::ReceiveReply> received reply for unknown "
                   "clientTransactionID=%d",
                   LogId(id));
        return false;
    }
    KAVClientTransaction* transaction = found->second;
    transaction->Unregister();
    transaction->SignalDone();
    return true;
}

void KAVClientTransaction::FailAll() {
    TransactionRegistry& registry = Registry();
    Kiv::SingleLock hold(registry.lock);
    for (auto& [id, transaction] : registry.transactions) transaction->SignalFailed();
}

int32_t KAVClientTransaction::AskPending(uint32_t id, const Kiv::String& promptKey,
                                         const KUID& kuid) {
    TransactionRegistry& registry = Registry();
    KAVClientTransaction* transaction = nullptr;
    {
        Kiv::SingleLock hold(registry.lock);
        auto found = registry.transactions.find(id);
        if (found == registry.transactions.end()) return KAVLink::Answer::kNoTransaction;
        transaction = found->second;
        if (transaction->questions_++ == 0) transaction->questionsDone_.Reset();
    }
    const int32_t answer = transaction->AskHandler(promptKey, kuid);
    transaction->EndQuestion();
    return answer;
}

// The last touch of the transaction by a question thread: its destructor may run as soon
// as the lock is released.
void KAVClientTransaction::EndQuestion() {
    Kiv::SingleLock hold(Registry().lock);
    if (--questions_ == 0) questionsDone_.Set();
}

void KAVClientTransaction::ReadLogNote(uint32_t id, TStream& stream) {
    Kiv::SingleLock hold(Registry().lock);
    ResultsLog* log = ResultsLog::FindRequest(LogId(id));
    if (log != nullptr) {
        log->Read(stream);
        return;
    }
    ResultsLog discarded;
    discarded.Read(stream);
}

void KAVClientTransaction::ReleaseLog(const ResultsLog* log) {
    Kiv::SingleLock hold(Registry().lock);
    ResultsLog::UnregisterAll(log);
}

void KAVClientTransaction::SetNextId(uint32_t id) {
    Kiv::SingleLock hold(Registry().lock);
    Registry().nextId = id == 0 ? 1 : id;
}

uint32_t KAVClientTransaction::NextId() {
    Kiv::SingleLock hold(Registry().lock);
    return Registry().nextId;
}
