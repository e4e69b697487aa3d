// Notifications on the daemon link: results-log notes read into the log of their request
// before its reply, status values and command-host jobs run on the main thread, and the
// daemon's questions answered by the request's handler, 2 without one, 4 once it ended.
#include "kav_client_test_peer.h"

#include "link/kav/kav_link_format.h"
#include "link/kav/kav_question_handler.h"
#include "foundation/results/results_log.h"
#include "foundation/streams/buffer_stream.h"

namespace {

Bytes StringForm(const std::string& text) {
    return Concat({Le32(static_cast<uint32_t>(text.size())), Text(text)});
}

Bytes PStringForm(const std::string& text) {
    return Concat({Le32(static_cast<uint32_t>(text.size() + 1)), Text(text), Bytes{0}});
}

// A results log in stream form: version 0, two entries (kind, text, no subject).
Bytes TwoEntryLog() {
    return Concat({Le32(0), Le32(2),
                   Le32(3), StringForm("disk full"), Le32(0),
                   Le32(1), StringForm("repaired"), Le32(0)});
}

// KUID 1:2:3 in stream form: content id, then the packed word (version 3 above user 1).
Bytes KuidForm() { return Concat({Le32(2), Le32((3u << 25) | 1u)}); }

bool Transact(int32_t id, ResultsLog* log = nullptr, bool keepLog = false,
              KAVQuestionHandler* handler = nullptr) {
    BufferStream request, reply;
    return KAVClient::Transact(id, request.Stream(), reply.Stream(), handler, log, keepLog);
}

TEST_F(KAVClientTest, LogNoteLandsInTheRequestsLogBeforeTheReply) {
    for (const bool keepLog : {false, true}) {
        SCOPED_TRACE(keepLog);
        ASSERT_TRUE(StartClient());
        ResultsLog log;
        uint32_t transactionId = 0;
        PeerScript script([&] {
            const PeerRequest request = peer_.ReadRequest();
            transactionId = request.transactionId;
            peer_.Write(NoteFrame(3, Concat({Le32(request.transactionId), TwoEntryLog()})));
            peer_.Reply(request.transactionId, {});
        });
        ASSERT_TRUE(Transact(3, &log, keepLog));
        script.Join();
        std::vector<std::pair<int32_t, std::string>> entries;
        for (const ResultsLogEntry& entry : log.Entries()) {
            entries.emplace_back(entry.kind, entry.text.Std());
        }
        EXPECT_EQ(entries, (std::vector<std::pair<int32_t, std::string>>{
                               {ResultsLogKind::Error, "disk full"},
                               {ResultsLogKind::Information, "repaired"}}));
        const auto logId = static_cast<int32_t>(transactionId);
        EXPECT_EQ(ResultsLog::FindRequest(logId), keepLog ? &log : nullptr);
        ResultsLog::UnregisterRequest(logId);
        KAVClient::Shutdown();
    }
}

// A log note for nobody is read and dropped; the link stays in step and another request's
// log is not touched.
TEST_F(KAVClientTest, LogNoteForAnUnknownTransactionIsDiscarded) {
    ASSERT_TRUE(StartClient());
    ResultsLog log;
    PeerScript script([&] {
        const PeerRequest request = peer_.ReadRequest();
        peer_.Write(NoteFrame(3, Concat({Le32(request.transactionId + 500), TwoEntryLog()})));
        peer_.Write(NoteFrame(3, Le32(request.transactionId)));  // cut short: no log at all
        peer_.Reply(request.transactionId, Text("done"));
    });
    EXPECT_TRUE(Transact(3, &log));
    script.Join();
    EXPECT_EQ(log.EntryCount(), 0);
    EXPECT_TRUE(KAVClient::IsConnected());
}

int32_t g_status = -1;

TEST_F(KAVClientTest, StatusNoteReachesTheCallbackOnTheMainThread) {
    KAVClientStartOptions options = StartupOptions();
    g_status = -1;
    options.statusCallback = [](int32_t status) { g_status = status; };
    ASSERT_TRUE(StartClient(options));
    ASSERT_TRUE(peer_.Write({0x65, 0x74, 0x6F, 0x6E, 0x00, 0x00, 0x00, 0x00,
                             0x04, 0x00, 0x00, 0x00, 0x2A, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(PumpUntil([] { return g_status != -1; }));
    EXPECT_EQ(g_status, 42);
}

// The job handler doubles the job's number; its answer goes back as request 141.
TEST_F(KAVClientTest, CommandJobIsAnsweredWithRequest141) {
    ASSERT_TRUE(StartClient());
    KAVClient::SetCommandHostCallback([](TBuffer& job, TBuffer& reply) {
        int32_t number = 0;
        job.ReadInt32(number, 0);
        reply.WriteInt32(number * 2);
        return true;
    });
    std::atomic<bool> answered{false};
    PeerRequest answer;
    PeerScript script([&] {
        peer_.Write(NoteFrame(1, Le32(21)));
        answer = peer_.ReadRequest();
        peer_.Reply(answer.transactionId, {});
        answered.store(true);
    });
    EXPECT_TRUE(PumpUntil([&] { return answered.load(); }));
    script.Join();
    EXPECT_EQ(answer.id, 141);
    EXPECT_EQ(answer.payload, Le32(42));
}

TEST_F(KAVClientTest, CommandJobWithoutAHostIsDroppedUnanswered) {
    ASSERT_TRUE(StartClient());
    ASSERT_TRUE(peer_.Write(NoteFrame(1, Le32(21))));
    ASSERT_TRUE(peer_.Write(NoteFrame(0, Le32(1))));  // a marker behind the job
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (int i = 0; i < 5; ++i) KAVClient::PumpMainThread();
    PeerRequest next;
    PeerScript script([&] {
        next = peer_.ReadRequest();
        peer_.Reply(next.transactionId, {});
    });
    EXPECT_TRUE(Transact(77));
    script.Join();
    EXPECT_EQ(next.id, 77);
}

class RecordingHandler : public KAVQuestionHandler {
public:
    int32_t Ask(const Kiv::String& promptKey, Kiv::String& outText, const KUID& kuid,
                int32_t flags) override {
        prompt = promptKey;
        asked = kuid;
        askedFlags = flags;
        outText = "ignored";
        return 7;
    }
    Kiv::String prompt;
    KUID asked;
    int32_t askedFlags = -1;
};

// The request waits on a worker thread while the main thread pumps the question; the
// daemon gets the answer (request 150) before it replies to the request.
TEST_F(KAVClientTest, QuestionIsAnsweredByTheRequestsHandlerOr2WithoutOne) {
    RecordingHandler handler;
    for (KAVQuestionHandler* given : {static_cast<KAVQuestionHandler*>(&handler),
                                      static_cast<KAVQuestionHandler*>(nullptr)}) {
        SCOPED_TRACE(given ? "handler" : "no handler");
        ASSERT_TRUE(StartClient());
        std::atomic<bool> answered{false};
        uint32_t asking = 0;
        PeerRequest answer;
        PeerScript script([&] {
            const PeerRequest request = peer_.ReadRequest();
            asking = request.transactionId;
            peer_.Write(NoteFrame(2, Concat({Le32(asking), PStringForm("$replace-asset"), KuidForm()})));
            answer = peer_.ReadRequest();
            peer_.Reply(answer.transactionId, {});
            peer_.Reply(asking, {});
            answered.store(true);
        });
        bool ok = false;
        std::thread requester([&] { ok = Transact(39, nullptr, false, given); });
        EXPECT_TRUE(PumpUntil([&] { return answered.load(); }));
        requester.join();
        script.Join();
        EXPECT_TRUE(ok);
        EXPECT_EQ(answer.id, 150);
        EXPECT_EQ(answer.payload, Concat({Le32(asking), Le32(given ? 7 : 2)}));
        KAVClient::Shutdown();
    }
    EXPECT_EQ(handler.prompt, "$replace-asset");
    EXPECT_EQ(handler.asked, KUID(1, 2, 3));
    EXPECT_EQ(handler.askedFlags, 0);
}

TEST_F(KAVClientTest, QuestionForAnEndedTransactionIsAnswered4) {
    ASSERT_TRUE(StartClient());
    std::atomic<bool> answered{false};
    uint32_t asking = 0;
    PeerRequest answer;
    PeerScript script([&] {
        const PeerRequest request = peer_.ReadRequest();
        asking = request.transactionId;
        peer_.Reply(asking, {});
        peer_.Write(NoteFrame(2, Concat({Le32(asking), PStringForm("$late"), KuidForm()})));
        answer = peer_.ReadRequest();
        peer_.Reply(answer.transactionId, {});
        answered.store(true);
    });
    RecordingHandler handler;
    EXPECT_TRUE(Transact(39, nullptr, false, &handler));
    EXPECT_TRUE(PumpUntil([&] { return answered.load(); }));
    script.Join();
    EXPECT_EQ(answer.id, 150);
    EXPECT_EQ(answer.payload, Concat({Le32(asking), Le32(4)}));
    EXPECT_TRUE(handler.prompt.IsEmpty());
}

// A handler still answering when the reply arrives keeps its request from ending: the
// requester's handler object stays valid for the whole question.
TEST_F(KAVClientTest, RequestWaitsForAQuestionStillBeingAsked) {
    class SlowHandler : public KAVQuestionHandler {
    public:
        int32_t Ask(const Kiv::String&, Kiv::String&, const KUID&, int32_t) override {
            entered.store(true);
            while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return 5;
        }
        std::atomic<bool> entered{false};
        std::atomic<bool> release{false};
    };
    ASSERT_TRUE(StartClient());
    SlowHandler handler;
    std::atomic<bool> requestEnded{false};
    PeerScript script([&] {
        const PeerRequest request = peer_.ReadRequest();
        peer_.Write(NoteFrame(2, Concat({Le32(request.transactionId), PStringForm("$q"), KuidForm()})));
        while (!handler.entered.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        peer_.Reply(request.transactionId, {});
        const PeerRequest answer = peer_.ReadRequest();
        EXPECT_EQ(answer.payload, Concat({Le32(request.transactionId), Le32(5)}));
        peer_.Reply(answer.transactionId, {});
    });
    std::thread requester([&] {
        EXPECT_TRUE(Transact(39, nullptr, false, &handler));
        requestEnded.store(true);
    });
    EXPECT_TRUE(PumpUntil([&] { return handler.entered.load(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(requestEnded.load());
    handler.release.store(true);
    requester.join();
    script.Join();
    EXPECT_TRUE(requestEnded.load());
}

// A question that does not read whole is dropped; the link goes on.
TEST_F(KAVClientTest, TruncatedQuestionIsDropped) {
    ASSERT_TRUE(StartClient());
    ASSERT_TRUE(peer_.Write(NoteFrame(2, Concat({Le32(1), Le32(50), Text("short")}))));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (int i = 0; i < 5; ++i) KAVClient::PumpMainThread();
    PeerRequest next;
    PeerScript script([&] {
        next = peer_.ReadRequest();
        peer_.Reply(next.transactionId, {});
    });
    EXPECT_TRUE(Transact(78));
    script.Join();
    EXPECT_EQ(next.id, 78);
}

}  // namespace
