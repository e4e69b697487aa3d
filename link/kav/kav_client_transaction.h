// KAVClientTransaction: one request waiting for its reply, on the requesting thread's
// stack, and the process-wide registry of them (id -> transaction) that the link's reader
// uses to hand each reply to its requester. Ids count up from 1 and skip 0 when they wrap.
// The loss of a link fails every registered transaction; one that had not been sent yet
// clears that failure when it goes out on the next link. A question that is being
// asked of the transaction's handler keeps the transaction (and so the handler) alive: the
// destructor waits for it.
#pragma once

#include <cstdint>

#include "engine/recursive_lock.h"
#include "engine/string.h"
#include "engine/wevent.h"
#include "foundation/kuid/kuid.h"

class KAVQuestionHandler;
class ResultsLog;
class TStream;

class KAVClientTransaction {
public:
    explicit KAVClientTransaction(KAVQuestionHandler* handler = nullptr, ResultsLog* log = nullptr,
                                  bool keepLog = false)
        : handler_(handler), log_(log), keepLog_(keepLog) {}
    // Unregisters, then waits until no question is being asked of the handler.
    ~KAVClientTransaction();
    KAVClientTransaction(const KAVClientTransaction&) = delete;
    KAVClientTransaction& operator=(const KAVClientTransaction&) = delete;

    // Takes the next id, enters the transaction in the registry and registers its results
    // log under the id.
    void Register();
    // Leaves the registry; the results log too, unless keepLog. Nothing when not registered.
    void Unregister();
    void RegisterLog();

    // Marks the request as going out on the link numbered linkSerial: a failure left by the
    // loss of an earlier link, which never carried it, is cleared.
    void PrepareSend(uint64_t linkSerial);
    uint64_t LinkSerial() const { return linkSerial_; }

    // Waits without time-out for the reply or the loss of the link; true when a reply came.
    // False at once for a transaction that was never registered.
    bool Wait();
    void SignalFailed();
    void SignalDone();

    // 2 without a handler, else the handler's answer.
    int32_t AskHandler(const Kiv::String& promptKey, const KUID& kuid);

    uint32_t Id() const { return id_; }
    bool IsRegistered() const;

    // The reader found a reply for id: the transaction leaves the registry and its
    // requester wakes to read the reply. False, with a log line, for an id that is not
    // registered or whose request has not gone out.
    static bool ReceiveReply(uint32_t id);
    // Fails every registered transaction (the link was lost).
    static void FailAll();
    // The answer to a question about transaction id: 4 when none is registered, else the
    // answer of AskHandler, asked outside the registry's lock.
    static int32_t AskPending(uint32_t id, const Kiv::String& promptKey, const KUID& kuid);
    // Reads a results log in stream form into the log registered under id, or into a
    // temporary one that is dropped. Under the registry's lock, so a requester cannot
    // destroy the log meanwhile.
    static void ReadLogNote(uint32_t id, TStream& stream);
    // Removes every registration of log under the registry's lock: once it returns, no note
    // is being read into log and none will be.
    static void ReleaseLog(const ResultsLog* log);

    // The id the next Register takes (tests start it near the wrap).
    static void SetNextId(uint32_t id);
    static uint32_t NextId();

private:
    void EndQuestion();

    uint32_t id_ = 0;
    Kiv::WEvent event_{true, false};
    KAVQuestionHandler* handler_;
    ResultsLog* log_;
    bool keepLog_;
    bool registered_ = false;
    bool failed_ = false;
    bool sent_ = false;        // its request went out on the link numbered linkSerial_
    uint64_t linkSerial_ = 0;
    int32_t questions_ = 0;    // questions being asked of the handler now
    Kiv::WEvent questionsDone_{true, true};
};
