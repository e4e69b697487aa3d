// The daemon link's bytes, checked against frames written by hand: the handshake and its
// answer, a request frame and its reply, the goodbye, closing the daemon, and the start
// and retry schedules with their waits.
#include "kav_client_test_peer.h"

#include "link/kav/kav_client_transaction.h"
#include "link/net/net_timeouts.h"
#include "foundation/jobs/job_timing.h"
#include "foundation/jobs/process_identity.h"
#include "foundation/streams/buffer_stream.h"
#include "validation/specs/spec_manager.h"

namespace {

Bytes ReplyBytes(BufferStream& reply) {
    const Kiv::DynamicBuffer& buffer = reply.Buffer();
    return Bytes(buffer.GetData(), buffer.GetData() + buffer.GetDataLength());
}

TEST_F(KAVClientTest, HandshakeCarriesTagVersionBuildFlagAndPath) {
    const std::string path = kDatabasePath;
    for (const bool flag : {true, false}) {
        SCOPED_TRACE(flag);
        KAVClientStartOptions options = StartupOptions();
        options.handshakeFlag = flag;
        Bytes header;
        std::string sentPath;
        bool greeted = false;
        PeerScript script([&] {
            greeted = peer_.Accept() && peer_.Greet(0x01020304, -5, &header, &sentPath);
        });
        ASSERT_TRUE(KAVClient::Start(options));
        script.Join();
        ASSERT_TRUE(greeted);
        const Bytes expected = {0x43, 0x56, 0x41, 0x4B,  // 'KAVC'
                                0x4A, 0x01, 0x00, 0x00,  // 330
                                0x0D, 0xC3, 0x00, 0x00,  // 49933
                                static_cast<uint8_t>(flag ? 1 : 0), 0x00, 0x00, 0x00,
                                static_cast<uint8_t>(path.size()), 0x00, 0x00, 0x00};
        EXPECT_EQ(header, expected);
        EXPECT_EQ(sentPath, path);
        EXPECT_TRUE(KAVClient::IsStarted());
        EXPECT_TRUE(KAVClient::IsConnected());
        EXPECT_EQ(KAVClient::GetHandshakeWords(), (std::array<int32_t, 2>{0x01020304, -5}));
        KAVClient::Shutdown();
    }
}

// A start makes the process's spec manager and sets the started event; shut-down destroys
// the manager.
TEST_F(KAVClientTest, StartMakesTheSpecManagerAndShutdownDestroysIt) {
    ASSERT_TRUE(StartClient());
    ASSERT_NE(SpecManager::Instance(), nullptr);
    EXPECT_EQ(SpecManager::Instance()->FindSpec(KUID(1, 2, 0)), nullptr);
    ASSERT_NE(GetClientStartedEvent(), nullptr);
    EXPECT_TRUE(GetClientStartedEvent()->IsSet());
    KAVClient::Shutdown();
    EXPECT_EQ(SpecManager::Instance(), nullptr);
}

// The pump advances the job clock by the time passed between its calls.
TEST_F(KAVClientTest, PumpAdvancesTheJobClock) {
    KAVClient::PumpMainThread();
    const float before = GetJobClock();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    KAVClient::PumpMainThread();
    EXPECT_GE(GetJobClock() - before, 0.035f);
}

// A connection whose answer is not 'KAVD' and two words is refused and dropped.
TEST_F(KAVClientTest, HandshakeAnswerOtherThanKavdFailsTheAttempt) {
    const std::vector<std::pair<const char*, Bytes>> answers = {
        {"wrong tag", Concat({{0x44, 0x56, 0x41, 0x58}, Le32(1), Le32(2)})},
        {"tag only", {0x44, 0x56, 0x41, 0x4B}},
        {"nothing", {}},
    };
    for (const auto& [name, bytes] : answers) {
        SCOPED_TRACE(name);
        const Bytes& answer = bytes;
        bool closedByClient = false;
        PeerScript script([&] {
            if (!peer_.Accept()) return;
            peer_.Read(20 + std::string(kDatabasePath).size());
            peer_.Write(answer);
            if (answer.size() == 12) {
                closedByClient = peer_.SeesEndOfStream();
            } else {
                peer_.CloseLink();
                closedByClient = true;
            }
        });
        EXPECT_FALSE(KAVClient::Connect());
        script.Join();
        EXPECT_TRUE(closedByClient);
        EXPECT_FALSE(KAVClient::IsConnected());
    }
}

// A daemon that accepts and never answers the handshake fails the attempt within the
// connect time-out: the client gives up and closes its side. The start schedule then asks
// it once more (after its launch and one wait) and gives up: with the default waits, 31 s
// of the schedule's and the handshake's time, instead of eleven handshake time-outs.
TEST_F(KAVClientTest, SilentDaemonFailsTheHandshakeWithinTheConnectTimeOut) {
    NetTimeouts::SetConnectMs(20);
    bool closedByClient = false;
    PeerScript script([&] {
        if (!peer_.Accept()) return;
        peer_.Read(20 + std::string(kDatabasePath).size());
        closedByClient = peer_.SeesEndOfStream();
        peer_.CloseLink();
    });
    EXPECT_FALSE(KAVClient::Connect());
    script.Join();
    EXPECT_TRUE(closedByClient) << "the client waited on past the peer's deadline";

    const int lookUpsBefore = lookUps_.load();
    EXPECT_FALSE(KAVClient::Start(StartupOptions()));
    const int handshakes = lookUps_.load() - lookUpsBefore;
    EXPECT_EQ(handshakes, 2);
    EXPECT_EQ(launches_.load(), 1);
    int64_t startUpMs = handshakes * NetTimeouts::kDefaultConnectMs;
    for (int64_t ms : Sleeps()) startUpMs += ms;
    EXPECT_LE(startUpMs, 35000);
}

// Only the handshake is bounded: a reply that takes several connect time-outs still arrives.
TEST_F(KAVClientTest, RequestWaitsOutlastTheConnectTimeOut) {
    NetTimeouts::SetConnectMs(100);
    ASSERT_TRUE(StartClient());
    PeerScript script([&] {
        const PeerRequest request = peer_.ReadRequest();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        peer_.Reply(request.transactionId, {0x01});
    });
    BufferStream request;
    BufferStream reply;
    EXPECT_TRUE(KAVClient::Transact(21, request.Stream(), reply.Stream()));
    script.Join();
    EXPECT_EQ(ReplyBytes(reply), (Bytes{0x01}));
}

TEST_F(KAVClientTest, RequestFrameAndReplyBytes) {
    ASSERT_TRUE(StartClient());
    KAVClientTransaction::SetNextId(7);
    BufferStream request;
    request.Stream().WriteBytes("\xEE\xEE\x0A\x0B\x0C", 5);
    request.Stream().MoveTo(2);  // the payload runs from the position to the end
    BufferStream reply;
    reply.Stream().WriteByte(0x55);  // the reply is appended after what is there
    PeerRequest received;
    PeerScript script([&] {
        received = peer_.ReadRequest();
        peer_.Write({0x6C, 0x70, 0x65, 0x72, 0x07, 0x00, 0x00, 0x00,
                     0x02, 0x00, 0x00, 0x00, 0xAA, 0xBB});
    });
    ASSERT_TRUE(KAVClient::Transact(21, request.Stream(), reply.Stream()));
    script.Join();
    EXPECT_EQ(received.id, 21);
    EXPECT_EQ(received.transactionId, 7u);
    EXPECT_EQ(received.payload, (Bytes{0x0A, 0x0B, 0x0C}));
    EXPECT_EQ(ReplyBytes(reply), (Bytes{0x55, 0xAA, 0xBB}));
}

TEST_F(KAVClientTest, RequestFrameIsHeaderThenPayloadOnTheWire) {
    ASSERT_TRUE(StartClient());
    KAVClientTransaction::SetNextId(0x01020304);
    BufferStream request;
    request.Stream().WriteInt32(-2);
    request.Stream().Rewind();
    Bytes frame;
    PeerScript script([&] {
        frame = peer_.Read(16);
        peer_.Reply(0x01020304, {});
    });
    BufferStream reply;
    ASSERT_TRUE(KAVClient::Transact(0x0102, request.Stream(), reply.Stream()));
    script.Join();
    EXPECT_EQ(frame, (Bytes{0x02, 0x01, 0x00, 0x00, 0x04, 0x03, 0x02, 0x01,
                            0x04, 0x00, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(reply.Buffer().GetDataLength(), 0u);
}

TEST_F(KAVClientTest, EmptyReplySucceedsAndLeavesTheReplyBufferAlone) {
    ASSERT_TRUE(StartClient());
    BufferStream reply;
    reply.Stream().WriteInt32(99);
    PeerScript script([&] {
        const PeerRequest request = peer_.ReadRequest();
        EXPECT_TRUE(request.payload.empty());
        peer_.Reply(request.transactionId, {});
    });
    BufferStream request;
    ASSERT_TRUE(KAVClient::Transact(5, request.Stream(), reply.Stream()));
    script.Join();
    EXPECT_EQ(ReplyBytes(reply), Le32(99));
    EXPECT_TRUE(KAVClient::IsConnected());
}

TEST_F(KAVClientTest, TransactionIdsWrapFromTheTopToOne) {
    ASSERT_TRUE(StartClient());
    KAVClientTransaction::SetNextId(0xFFFFFFFFu);
    std::vector<Bytes> ids;
    PeerScript script([&] {
        for (int i = 0; i < 2; ++i) {
            const Bytes head = peer_.Read(12);
            ids.push_back(Bytes(head.begin() + 4, head.begin() + 8));
            peer_.Write(Concat({kReplTag, ids.back(), Le32(0)}));
        }
    });
    for (int i = 0; i < 2; ++i) {
        BufferStream request, reply;
        EXPECT_TRUE(KAVClient::Transact(3, request.Stream(), reply.Stream()));
    }
    script.Join();
    EXPECT_EQ(ids, (std::vector<Bytes>{{0xFF, 0xFF, 0xFF, 0xFF}, {0x01, 0x00, 0x00, 0x00}}));
}

TEST_F(KAVClientTest, ShutdownSaysGoodbyeAndCloses) {
    ASSERT_TRUE(StartClient());
    KAVClient::Shutdown();
    EXPECT_EQ(peer_.Read(4), (Bytes{0x01, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(peer_.SeesEndOfStream());
    EXPECT_FALSE(KAVClient::IsStarted());
    EXPECT_FALSE(KAVClient::IsConnected());
    BufferStream request, reply;
    EXPECT_FALSE(KAVClient::Transact(3, request.Stream(), reply.Stream()));
}

TEST_F(KAVClientTest, CloseDaemonReturnsOnceTheDaemonClosedTheLink) {
    ASSERT_TRUE(StartClient());
    std::atomic<bool> closed{false};
    PeerScript script([&] {
        const PeerRequest request = peer_.ReadRequest();
        EXPECT_EQ(request.id, 270);
        EXPECT_TRUE(request.payload.empty());
        peer_.Reply(request.transactionId, {});
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        closed.store(true);
        peer_.CloseLink();
    });
    KAVClient::CloseDaemon();
    EXPECT_TRUE(closed.load());
    EXPECT_FALSE(KAVClient::IsConnected());
    script.Join();
    EXPECT_FALSE(Sleeps().empty());
    for (const int64_t ms : Sleeps()) EXPECT_EQ(ms, 1);
}

// No daemon: attempt 0 at once, the daemon launched once, then ten waits and attempts.
TEST_F(KAVClientTest, StartTriesElevenTimesThenForgetsTheOptions) {
    port_.store(0);
    KAVStartSchedule::SetWaitMs(3);
    KAVClientStartOptions options = StartupOptions();
    options.statusCallback = [](int32_t) {};
    EXPECT_FALSE(KAVClient::Start(options));
    EXPECT_EQ(lookUps_.load(), 11);
    EXPECT_EQ(launches_.load(), 1);
    EXPECT_EQ(Sleeps(), std::vector<int64_t>(10, 3));
    EXPECT_FALSE(KAVClient::IsStarted());
}

TEST_F(KAVClientTest, StartSucceedsOnALaterAttempt) {
    port_.store(0);
    KAVClient::SetEnvironment([&] {
        KAVClientEnvironment environment;
        environment.databasePath = [] { return Kiv::File::Path(kDatabasePath); };
        environment.lookUpPort = [this](const Kiv::File::Path&) {
            return lookUps_.fetch_add(1) < 3 ? 0 : static_cast<int32_t>(peer_.Port());
        };
        environment.launchDaemon = [this] { launches_.fetch_add(1); };
        environment.sleep = [](int64_t) {};
        return environment;
    }());
    bool greeted = false;
    PeerScript script([&] { greeted = peer_.AcceptAndGreet(); });
    EXPECT_TRUE(KAVClient::Start(StartupOptions()));
    script.Join();
    EXPECT_TRUE(greeted);
    EXPECT_EQ(lookUps_.load(), 4);
    EXPECT_EQ(launches_.load(), 1);
    EXPECT_TRUE(KAVClient::Start(StartupOptions()));  // already started: no new attempt
    EXPECT_EQ(lookUps_.load(), 4);
}

TEST_F(KAVClientTest, RequestsFailAtOnceWhenNotStarted) {
    BufferStream request, reply;
    EXPECT_FALSE(KAVClient::Transact(3, request.Stream(), reply.Stream()));
    EXPECT_EQ(lookUps_.load(), 0);
}

}  // namespace
