// The daemon link against the stand-in daemon run in-process (library mode), whose own
// frame code is written apart from the client's: requests from several threads, notes and
// questions sent before a reply, the daemon's faults, and closing it. Its record file
// shows what it received. The port comes from the server, as discovery inside one process
// rightly hides a daemon that the process itself owns.
#include "kav_client_test_peer.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "daemon/daemon_server.h"
#include "foundation/results/results_log.h"
#include "foundation/streams/buffer_stream.h"

namespace {

Bytes ReplyBytes(BufferStream& reply) {
    const Kiv::DynamicBuffer& buffer = reply.Buffer();
    return Bytes(buffer.GetData(), buffer.GetData() + buffer.GetDataLength());
}

bool TransactBytes(int32_t id, const Bytes& payload, Bytes* answer = nullptr,
                   ResultsLog* log = nullptr) {
    BufferStream request, reply;
    request.Stream().WriteBytes(payload.data(), payload.size());
    request.Stream().Rewind();
    const bool ok = KAVClient::Transact(id, request.Stream(), reply.Stream(), nullptr, log);
    if (answer) *answer = ReplyBytes(reply);
    return ok;
}

class KAVClientDaemonTest : public KAVClientTest {
protected:
    void SetUp() override {
        KAVClientTest::SetUp();
        std::string pattern = std::filesystem::temp_directory_path().string() + "/kavc-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        DaemonOptions options;
        options.recordPath = folder_ + "/record.txt";
        options.idleTime = std::chrono::milliseconds(0);
        server_ = std::make_unique<DaemonServer>(options);
        ASSERT_EQ(server_->Start(), DaemonStart::kStarted);
        port_.store(server_->Port());
    }

    void TearDown() override {
        KAVClientTest::TearDown();
        server_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Whether the record file holds a line starting with prefix (and containing part).
    bool RecordContains(const std::string& prefix, const std::string& part = "") const {
        std::ifstream in(folder_ + "/record.txt");
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind(prefix, 0) == 0 && line.find(part) != std::string::npos) return true;
        }
        return false;
    }
    // The same, waiting for the daemon's threads to write it.
    bool RecordHas(const std::string& prefix) const {
        return WaitUntil([&] { return RecordContains(prefix); });
    }

    std::string folder_;
    std::unique_ptr<DaemonServer> server_;
};

TEST_F(KAVClientDaemonTest, ThreadsTransactAndShutdownSaysGoodbye) {
    KAVClientStartOptions options = StartupOptions();
    options.handshakeFlag = false;
    ASSERT_TRUE(KAVClient::Start(options));
    EXPECT_TRUE(RecordHas(std::string("handshake 1 version=330 build=49933 flag=0 path=") +
                          kDatabasePath));
    server_->SetHook(21, [](const DaemonRequest& request, DaemonResponse& response) {
        response.reply.assign(request.payload.rbegin(), request.payload.rend());
    });
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([t, &wrong] {
            for (int round = 0; round < 100; ++round) {
                const Bytes payload = Concat({Le32(static_cast<uint32_t>(t)),
                                              Le32(static_cast<uint32_t>(round))});
                Bytes answer;
                if (!TransactBytes(21, payload, &answer) ||
                    answer != Bytes(payload.rbegin(), payload.rend())) {
                    wrong.fetch_add(1);
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
    KAVClient::Shutdown();
    EXPECT_TRUE(RecordHas("goodbye 1"));
}

// The main thread's own request: its log note is read at once, but the question sent
// with it waits for the main thread, which runs it only after the request ended, so the
// answer is 4.
TEST_F(KAVClientDaemonTest, NotesSentBeforeTheReply) {
    ASSERT_TRUE(KAVClient::Start(StartupOptions()));
    server_->SetHook(3, [](const DaemonRequest& request, DaemonResponse& response) {
        const Bytes log = Concat({Le32(0), Le32(1), Le32(2), Le32(4), Text("slow"), Le32(0)});
        response.notes.push_back({3, Concat({Le32(request.transactionId), log}), {}});
        const Bytes question = Concat({Le32(request.transactionId), Le32(3), Text("$q"), Bytes{0},
                                       Le32(2), Le32((3u << 25) | 1u)});
        response.notes.push_back({2, question, 4});
    });
    ResultsLog log;
    EXPECT_TRUE(TransactBytes(3, {}, nullptr, &log));
    EXPECT_EQ(log.WarningCount(), 1);
    EXPECT_TRUE(PumpUntil([this] { return RecordContains("answer 1 "); }));
    EXPECT_TRUE(RecordContains("answer 1 ", " value=4 expected=4 match=yes"));
}

// A fault in place of the reply fails the request. When the reader met it, the closed link
// stays until the next request meets it and fails; a length the requester refused was
// dropped by the requester at once. Either way the request after that connects anew.
TEST_F(KAVClientDaemonTest, FaultyRepliesFailTheRequestAndALaterOneReconnects) {
    struct Case {
        DaemonFault fault;
        bool deadLinkLeft;
    };
    const std::vector<Case> cases = {{DaemonFault::kDropLink, true},
                                     {DaemonFault::kBadFrameTag, true},
                                     {DaemonFault::kNegativeLength, false}};
    ASSERT_TRUE(KAVClient::Start(StartupOptions()));
    server_->SetHook(22, [](const DaemonRequest&, DaemonResponse& response) {
        response.reply = Text("fine");
    });
    for (const Case& test : cases) {
        SCOPED_TRACE(DaemonFaultName(test.fault));
        server_->SetHook(30, [&test](const DaemonRequest&, DaemonResponse& response) {
            response.reply = Text("never seen");
            response.fault = test.fault;
        });
        EXPECT_FALSE(TransactBytes(30, {}));
        ASSERT_TRUE(WaitUntilDisconnected());
        if (test.deadLinkLeft) {
            EXPECT_FALSE(TransactBytes(22, {}));
        }
        Bytes answer;
        EXPECT_TRUE(TransactBytes(22, {}, &answer));
        EXPECT_EQ(answer, Text("fine"));
    }
}

// A reply with a transaction id nobody sent leaves its request waiting, and the link in
// step for the next one; shut-down then fails the waiting request.
TEST_F(KAVClientDaemonTest, ReplyWithAWrongIdLeavesTheLinkInStep) {
    ASSERT_TRUE(KAVClient::Start(StartupOptions()));
    server_->SetHook(30, [](const DaemonRequest&, DaemonResponse& response) {
        response.reply = Text("misaddressed");
        response.fault = DaemonFault::kWrongTransactionId;
    });
    server_->SetHook(22, [](const DaemonRequest&, DaemonResponse& response) {
        response.reply = Text("fine");
    });
    std::atomic<int> result{-1};
    std::thread waiting([&] { result.store(TransactBytes(30, {}) ? 1 : 0); });
    EXPECT_TRUE(RecordHas("reply 1 "));
    Bytes answer;
    EXPECT_TRUE(TransactBytes(22, {}, &answer));
    EXPECT_EQ(answer, Text("fine"));
    EXPECT_EQ(result.load(), -1);
    KAVClient::Shutdown();
    waiting.join();
    EXPECT_EQ(result.load(), 0);
}

TEST_F(KAVClientDaemonTest, CloseDaemonReturnsWhenTheDaemonHasEnded) {
    ASSERT_TRUE(KAVClient::Start(StartupOptions()));
    KAVClient::CloseDaemon();
    EXPECT_FALSE(KAVClient::IsConnected());
    EXPECT_EQ(server_->WaitForExit(), DaemonExit::kCloseRequest);
}

}  // namespace
