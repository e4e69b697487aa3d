// Requests from several threads at once, and what the link does with a daemon that
// misbehaves or goes away: replies for nobody, unknown tags, lengths out of bounds, a
// closed link, and the retry with the relaunch byte.
#include "kav_client_test_peer.h"

#include <map>

#include "link/kav/kav_link_format.h"
#include "foundation/streams/buffer_stream.h"

namespace {

Bytes ReplyBytes(BufferStream& reply) {
    const Kiv::DynamicBuffer& buffer = reply.Buffer();
    return Bytes(buffer.GetData(), buffer.GetData() + buffer.GetDataLength());
}

bool TransactBytes(int32_t id, const Bytes& payload, Bytes* answer = nullptr) {
    BufferStream request, reply;
    request.Stream().WriteBytes(payload.data(), payload.size());
    request.Stream().Rewind();
    const bool ok = KAVClient::Transact(id, request.Stream(), reply.Stream());
    if (answer) *answer = ReplyBytes(reply);
    return ok;
}

// Each thread's payload names the thread and the round; the peer echoes it reversed.
TEST_F(KAVClientTest, ThreeThreadsTransactAtOnce) {
    ASSERT_TRUE(StartClient());
    constexpr int kThreads = 3;
    constexpr int kRounds = 200;
    PeerScript script([&] {
        for (int i = 0; i < kThreads * kRounds; ++i) {
            PeerRequest request;
            if (!peer_.ReadRequest(request)) return;
            Bytes body(request.payload.rbegin(), request.payload.rend());
            if (!peer_.Reply(request.transactionId, body)) return;
        }
    });
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &wrong] {
            for (int round = 0; round < kRounds; ++round) {
                const Bytes payload = Concat({Le32(static_cast<uint32_t>(t)),
                                              Le32(static_cast<uint32_t>(round)), Bytes(t * 7, 0x5A)});
                Bytes answer;
                if (!TransactBytes(100 + t, payload, &answer) ||
                    answer != Bytes(payload.rbegin(), payload.rend())) {
                    wrong.fetch_add(1);
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    script.Join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_TRUE(KAVClient::IsConnected());
}

// Two requests outstanding; the daemon answers the second first.
TEST_F(KAVClientTest, RepliesFindTheirRequestsInAnyOrder) {
    ASSERT_TRUE(StartClient());
    PeerScript script([&] {
        const PeerRequest first = peer_.ReadRequest();
        const PeerRequest second = peer_.ReadRequest();
        peer_.Reply(second.transactionId, second.payload);
        peer_.Reply(first.transactionId, first.payload);
    });
    Bytes answerA, answerB;
    std::thread a([&] { EXPECT_TRUE(TransactBytes(1, Text("first"), &answerA)); });
    std::thread b([&] { EXPECT_TRUE(TransactBytes(2, Text("second"), &answerB)); });
    a.join();
    b.join();
    script.Join();
    EXPECT_EQ(answerA, Text("first"));
    EXPECT_EQ(answerB, Text("second"));
}

// The reply for nobody carries a body that looks like a frame: it is read and thrown away,
// and the link stays in step for the real reply.
TEST_F(KAVClientTest, ReplyForNoTransactionIsDiscardedWholeAndTheLinkStaysInStep) {
    ASSERT_TRUE(StartClient());
    PeerScript script([&] {
        const PeerRequest request = peer_.ReadRequest();
        const Bytes decoy = ReplFrame(request.transactionId, Text("decoy"));
        peer_.Write(ReplFrame(request.transactionId + 1000, decoy));
        peer_.Reply(request.transactionId, Text("real"));
    });
    Bytes answer;
    EXPECT_TRUE(TransactBytes(9, {}, &answer));
    script.Join();
    EXPECT_EQ(answer, Text("real"));
    EXPECT_TRUE(KAVClient::IsConnected());
}

// Three requests wait; a frame the client cannot trust ends the link and fails them all.
TEST_F(KAVClientTest, UntrustworthyFrameDropsTheLinkAndFailsEveryPendingRequest) {
    const uint32_t kTooLong = static_cast<uint32_t>(KAVLink::kMaxFrameLength) + 1;
    struct Case {
        const char* name;
        std::function<Bytes(uint32_t firstId)> frame;
    };
    const std::vector<Case> cases = {
        {"unknown tag", [](uint32_t) { return Concat({Text("!dab"), Le32(0), Le32(0)}); }},
        {"reply length -1", [](uint32_t id) { return Concat({kReplTag, Le32(id), Le32(0xFFFFFFFFu)}); }},
        {"reply length too large", [&](uint32_t id) { return Concat({kReplTag, Le32(id), Le32(kTooLong)}); }},
        {"note length -1", [](uint32_t) { return Concat({kNoteTag, Le32(0), Le32(0xFFFFFFFFu)}); }},
        {"note length too large", [&](uint32_t) { return Concat({kNoteTag, Le32(0), Le32(kTooLong)}); }},
        {"unknown reply length -1", [](uint32_t) { return Concat({kReplTag, Le32(0x7777), Le32(0xFFFFFFFFu)}); }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ASSERT_TRUE(StartClient());
        bool closedByClient = false;
        PeerScript script([&] {
            std::vector<PeerRequest> requests(3);
            for (PeerRequest& request : requests) request = peer_.ReadRequest();
            peer_.Write(test.frame(requests[0].transactionId));
            closedByClient = peer_.SeesEndOfStream();
        });
        std::atomic<int> failed{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 3; ++t) {
            threads.emplace_back([&failed] {
                if (!TransactBytes(40, Text("x"))) failed.fetch_add(1);
            });
        }
        for (std::thread& thread : threads) thread.join();
        script.Join();
        EXPECT_EQ(failed.load(), 3);
        EXPECT_TRUE(closedByClient);
        EXPECT_FALSE(KAVClient::IsConnected());
        KAVClient::Shutdown();
    }
}

// Start-up's options: a request on a link the daemon closed fails once, launching nothing;
// the next one connects anew.
TEST_F(KAVClientTest, AfterTheDaemonWentOneRequestFailsAndTheNextReconnects) {
    ASSERT_TRUE(StartClient());
    peer_.CloseLink();
    ASSERT_TRUE(WaitUntilDisconnected());
    const int lookUpsBefore = lookUps_.load();
    EXPECT_FALSE(TransactBytes(3, Text("lost")));
    EXPECT_EQ(launches_.load(), 0);
    EXPECT_EQ(lookUps_.load(), lookUpsBefore);  // the dead transport was tried, not a new one

    PeerScript script([&] {
        if (!peer_.AcceptAndGreet()) return;
        const PeerRequest request = peer_.ReadRequest();
        peer_.Reply(request.transactionId, request.payload);
    });
    Bytes answer;
    EXPECT_TRUE(TransactBytes(3, Text("again"), &answer));
    script.Join();
    EXPECT_EQ(answer, Text("again"));
    EXPECT_TRUE(KAVClient::IsConnected());
}

TEST_F(KAVClientTest, WithNoDaemonARequestFailsWithoutLaunchingOne) {
    ASSERT_TRUE(StartClient());
    peer_.CloseLink();
    ASSERT_TRUE(WaitUntilDisconnected());
    EXPECT_FALSE(TransactBytes(3, {}));  // drops the dead transport
    port_.store(0);
    EXPECT_FALSE(TransactBytes(3, {}));
    EXPECT_EQ(launches_.load(), 0);
    EXPECT_TRUE(Sleeps().empty());
}

// With the relaunch byte the dead link is dropped, the daemon launched, and the request
// goes out again on a new link after the wait.
TEST_F(KAVClientTest, RelaunchByteLetsARequestRetryOnANewLink) {
    KAVClientStartOptions options = StartupOptions();
    options.relaunch = true;
    ASSERT_TRUE(StartClient(options));
    KAVStartSchedule::SetWaitMs(7);
    peer_.CloseLink();
    ASSERT_TRUE(WaitUntilDisconnected());
    PeerScript script([&] {
        if (!peer_.AcceptAndGreet()) return;
        const PeerRequest request = peer_.ReadRequest();
        peer_.Reply(request.transactionId, Text("ok"));
    });
    Bytes answer;
    EXPECT_TRUE(TransactBytes(3, {}, &answer));
    script.Join();
    EXPECT_EQ(answer, Text("ok"));
    EXPECT_EQ(launches_.load(), 1);
    EXPECT_EQ(Sleeps(), std::vector<int64_t>{7});
}

// While C's large request blocks the link, A registers and waits for the connection
// lock. The daemon goes away: C, whose request was on that link, fails; A, whose request
// had not gone out, is sent on the next link and succeeds.
TEST_F(KAVClientTest, LossOfALinkFailsOnlyTheRequestsItCarried) {
    ASSERT_TRUE(StartClient());
    const uint32_t first = KAVClientTransaction::NextId();
    bool cOk = true;
    peer_.LimitReceiveBuffer(64 * 1024);
    std::thread c([&] { cOk = TransactBytes(61, Bytes(8 << 20, 0x33)); });
    peer_.Read(12);  // C holds the connection lock, sending its payload
    bool aOk = false;
    Bytes answer;
    std::thread a([&] { aOk = TransactBytes(62, Text("A"), &answer); });
    while (KAVClientTransaction::NextId() != first + 2) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PeerScript script([&] {
        peer_.CloseLink();
        if (!peer_.AcceptAndGreet()) return;
        const PeerRequest request = peer_.ReadRequest();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));  // A waits by now
        peer_.Reply(request.transactionId, request.payload);
    });
    c.join();
    a.join();
    script.Join();
    EXPECT_FALSE(cOk);
    EXPECT_TRUE(aOk);
    EXPECT_EQ(answer, Text("A"));
}

// While A's large request holds the link, B registers and waits to send. A reply for B's
// id arriving now cannot be B's: it is discarded, and both requests get their own replies.
TEST_F(KAVClientTest, StrayReplyForARequestNotYetSentIsDiscarded) {
    ASSERT_TRUE(StartClient());
    const uint32_t first = KAVClientTransaction::NextId();
    peer_.LimitReceiveBuffer(64 * 1024);
    const Bytes big(8 << 20, 0x44);
    bool aOk = false, bOk = false;
    Bytes aAnswer, bAnswer;
    std::atomic<int> ended{0};
    std::thread a([&] {
        aOk = TransactBytes(61, big, &aAnswer);
        ended.fetch_add(1);
    });
    peer_.Read(12);  // A holds the connection lock, sending its payload
    std::thread b([&] {
        bOk = TransactBytes(62, Text("B"), &bAnswer);
        ended.fetch_add(1);
    });
    while (KAVClientTransaction::NextId() != first + 2) std::this_thread::yield();
    ASSERT_TRUE(peer_.Reply(first + 1, Text("stray")));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(peer_.Read(big.size()).size(), big.size());
    peer_.Reply(first, Text("A"));
    const PeerRequest request = peer_.ReadRequest();
    EXPECT_EQ(request.transactionId, first + 1);
    peer_.Reply(request.transactionId, Text("B"));
    if (!WaitUntil([&] { return ended.load() == 2; })) {
        ADD_FAILURE() << "the requests hang";
        KAVClient::Disconnect(true);
    }
    a.join();
    b.join();
    EXPECT_TRUE(aOk);
    EXPECT_TRUE(bOk);
    EXPECT_EQ(aAnswer, Text("A"));
    EXPECT_EQ(bAnswer, Text("B"));
}

}  // namespace
