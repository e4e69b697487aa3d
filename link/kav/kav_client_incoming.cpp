// Notifications: results-log notes are read at once on the reader; the other kinds wait in
// the incoming queue, one main-thread job posted per message, and run when the main thread
// pumps its jobs. A notification whose payload does not read whole is dropped with a log
// line.
#include "link/kav/kav_client.h"
#include "link/kav/kav_client_state.h"
#include "link/kav/kav_client_transaction.h"
#include "link/kav/kav_link_format.h"
#include "engine/pstring.h"
#include "engine/timing.h"
#include "foundation/jobs/job_timing.h"
#include "foundation/jobs/worker_job_queue.h"
#include "foundation/console/log_message.h"
#include "foundation/streams/buffer_stream.h"

namespace {

// Asynchronous and for the main thread only.
constexpr uint32_t kIncomingJobFlags =
    WorkerJobFlags::kMainThreadOnly | WorkerJobFlags::kAsynchronous;

}  // namespace

void KAVClient::QueueIncoming(std::unique_ptr<KAVIncomingMessage> message) {
    if (message->IsLogKind()) {
        HandleIncoming(message->Payload(), message->Kind());
        return;
    }
    KAVClientState& state = ClientState();
    {
        Kiv::SingleLock hold(state.incomingLock);
        state.incoming.push_back(std::move(message));
    }
    PostWorkerJob(WorkerJobQueue::Singleton(), std::make_unique<TCXCallbackCIntPtr>(IncomingJob),
                  kIncomingJobFlags, 0);
}

int32_t KAVClient::IncomingJob(intptr_t) {
    KAVClientState& state = ClientState();
    std::unique_ptr<KAVIncomingMessage> message;
    {
        Kiv::SingleLock hold(state.incomingLock);
        if (state.incoming.empty()) return 0;
        message = std::move(state.incoming.front());
        state.incoming.pop_front();
    }
    HandleIncoming(message->Payload(), message->Kind());
    return 0;
}

void KAVClient::DrainIncoming() {
    KAVClientState& state = ClientState();
    Kiv::SingleLock hold(state.incomingLock);
    state.incoming.clear();
}

void KAVClient::HandleIncoming(TBuffer& payload, int32_t kind) {
    switch (kind) {
    case KAVLink::Note::kStatus: {
        int32_t status = 0;
        if (!payload.ReadInt32(status, 0)) break;
        KAVStatusCallback callback = nullptr;
        {
            KAVClientState& state = ClientState();
            Kiv::SingleLock hold(state.optionsLock);
            callback = state.options.statusCallback;
        }
        if (callback != nullptr) callback(status);
        break;
    }
    case KAVLink::Note::kCommandJob:
        HandleCommandJob(payload);
        break;
    case KAVLink::Note::kQuestion:
        HandleQuestion(payload);
        break;
    case KAVLink::Note::kResultsLog: {
        uint32_t id = 0;
        if (!payload.ReadUInt32(id, 0)) break;
        KAVClientTransaction::ReadLogNote(id, payload);
        break;
    }
    default:
        break;
    }
}

// Without a command host running, or when the host has no answer, the job is dropped
// unanswered; so is the answer once the link the host registered on has ended.
void KAVClient::HandleCommandJob(TBuffer& payload) {
    const KAVCommandHostCallback callback = ClientState().commandHostCallback.load();
    if (callback == nullptr) return;
    BufferStream answer;
    if (!callback(payload, answer.Stream())) return;
    answer.Stream().Rewind();
    BufferStream ignored;
    const uint64_t link = ClientState().commandHostLink.load();
    if (link == 0)
        Transact(KAVLink::Request::kCommandHostReply, answer.Stream(), ignored.Stream());
    else
        TransactOnLink(link, KAVLink::Request::kCommandHostReply, answer.Stream(), ignored.Stream());
}

void KAVClient::HandleQuestion(TBuffer& payload) {
    uint32_t id = 0;
    Kiv::String promptKey;
    payload.ReadUInt32(id, 0);
    payload.ReadString(promptKey);
    const KUID kuid = KUID::ReadBinary(payload);
    if (payload.GetError() != 0) {
        LogMessage("KAVClient::HandleIncoming> dropped a question that does not read whole "
                   "(clientTransactionID=%d)\n",
                   static_cast<int32_t>(id));
        return;
    }
    StartQuestionThread(kuid, id, promptKey);
}

void KAVClient::PumpMainThread() {
    KAVClientState& state = ClientState();
    const double now = Kiv::Time::GetSeconds();
    if (!state.pumpClockStarted) {
        state.pumpClockStarted = true;
        state.pumpClockStart = now;
    }
    SetJobClock(static_cast<float>(now - state.pumpClockStart));
    WorkerJobQueue& queue = WorkerJobQueue::Singleton();
    const int32_t left = queue.RunNextJob(0);
    for (int32_t i = 0; i < left; ++i) {
        if (queue.RunNextJob(0) == 0) break;
    }
    Kiv::PStringCache::CollectGarbage();
}
