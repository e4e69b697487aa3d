// The daemon's questions: each runs on a thread of its own, because the handler may take
// long and the main thread must go on pumping. The thread asks the transaction's handler
// (or answers 2 without one, 4 when the transaction has ended) and sends the answer as
// request 150. Finished threads are reaped when the next one starts; shut-down joins them.
#include <algorithm>

#include "link/kav/kav_client.h"
#include "link/kav/kav_client_state.h"
#include "link/kav/kav_client_transaction.h"
#include "link/kav/kav_link_format.h"
#include "foundation/streams/buffer_stream.h"

namespace {

struct KAVQuestion {
    uint32_t transactionId = 0;
    Kiv::String promptKey;
    KUID kuid = KUID::Null();
};

}  // namespace

void KAVClient::StartQuestionThread(const KUID& kuid, uint32_t transactionId,
                                    const Kiv::String& promptKey) {
    auto question = std::make_unique<KAVQuestion>();
    question->transactionId = transactionId;
    question->promptKey = promptKey;
    question->kuid = kuid;
    auto thread = std::make_unique<Kiv::Thread>(QuestionThreadProc, question.get(), true);
    if (!thread->StartedOk()) return;
    question.release();  // the thread owns it from here
    KAVClientState& state = ClientState();
    Kiv::SingleLock hold(state.questionsLock);
    std::erase_if(state.questionThreads, [](const auto& done) { return done->Wait(0); });
    thread->Resume();
    state.questionThreads.push_back(std::move(thread));
}

uint32_t KAVClient::QuestionThreadProc(void* argument) {
    std::unique_ptr<KAVQuestion> question(static_cast<KAVQuestion*>(argument));
    const int32_t answer = KAVClientTransaction::AskPending(question->transactionId,
                                                            question->promptKey, question->kuid);
    SendQuestionAnswer(question->transactionId, answer);
    return 0;
}

void KAVClient::SendQuestionAnswer(uint32_t transactionId, int32_t answer) {
    BufferStream request;
    request.Stream().WriteInt32(static_cast<int32_t>(transactionId));
    request.Stream().WriteInt32(answer);
    request.Stream().Rewind();
    BufferStream ignored;
    Transact(KAVLink::Request::kQuestionAnswer, request.Stream(), ignored.Stream());
}

void KAVClient::JoinQuestionThreads() {
    KAVClientState& state = ClientState();
    std::vector<std::unique_ptr<Kiv::Thread>> threads;
    {
        Kiv::SingleLock hold(state.questionsLock);
        threads.swap(state.questionThreads);
    }
    threads.clear();  // each destructor waits for its thread
}
