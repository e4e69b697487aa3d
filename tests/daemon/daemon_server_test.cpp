// The daemon in library mode, seen through raw sockets: the bytes of its frames, several
// clients at once, goodbye, hostile input, the faults it can inject, questions, request
// 270, the idle time and the record file.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "daemon/daemon_server.h"
#include "daemon/link_frames.h"
#include "daemon_test_support.h"
#include "engine/temp_folder.h"

namespace {

using namespace daemon_test;
using namespace std::chrono_literals;

WireBytes ToWire(const std::string& bytes) { return WireBytes(bytes.begin(), bytes.end()); }

class DaemonServerTest : public ::testing::Test {
protected:
    DaemonServerTest() {
        options_.recordPath = RecordPath();
        options_.idleTime = 0ms;
    }

    DaemonServer& Start() {
        server_ = std::make_unique<DaemonServer>(options_);
        EXPECT_EQ(server_->Start(), DaemonStart::kStarted);
        return *server_;
    }
    std::string RecordPath() const { return folder_.Path("record.txt"); }
    std::unique_ptr<RawClient> Connect() const {
        auto client = std::make_unique<RawClient>(server_->Port());
        EXPECT_TRUE(client->Connected());
        return client;
    }
    // A client whose handshake was answered.
    std::unique_ptr<RawClient> Join() const {
        auto client = Connect();
        EXPECT_EQ(client->Handshake(), kHandshakeReply);
        return client;
    }

    TempFolder folder_;
    DaemonOptions options_;
    std::unique_ptr<DaemonServer> server_;
};

TEST_F(DaemonServerTest, FramesAsTheClientSeesThem) {
    DaemonServer& server = Start();
    server.SetHook(21, [](const DaemonRequest& request, DaemonResponse& response) {
        response.notes.push_back({3, ToWire(Le32(request.transactionId) + "xy"), {}});
        response.reply = ToWire(Bytes({0xAA, 0xBB}));
    });
    auto client = Join();

    ASSERT_TRUE(client->Send(RequestBytes(21, 7, Bytes({1, 2}))));
    // 'note' kind 3, 6 bytes: the transaction id and "xy"; then 'repl' 7 with AA BB.
    EXPECT_EQ(client->Read(18), Bytes({0x65, 0x74, 0x6F, 0x6E, 0x03, 0x00, 0x00, 0x00, 0x06, 0x00,
                                       0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x78, 0x79}));
    EXPECT_EQ(client->Read(14), Bytes({0x6C, 0x70, 0x65, 0x72, 0x07, 0x00, 0x00, 0x00, 0x02, 0x00,
                                       0x00, 0x00, 0xAA, 0xBB}));

    // A status note sent from outside any request, to every client.
    EXPECT_EQ(server.SendNote(0, {0, ToWire(Le32(5)), {}}), 1);
    EXPECT_EQ(client->Read(16), Bytes({0x65, 0x74, 0x6F, 0x6E, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00,
                                       0x00, 0x00, 0x05, 0x00, 0x00, 0x00}));
}

// However a client cuts its bytes into sends, each request is read whole and answered in
// order: frames sent together, a payload larger than one receive takes in, a frame sent a
// byte at a time.
TEST_F(DaemonServerTest, RequestsArriveInAnyPieces) {
    DaemonServer& server = Start();
    server.SetHook(21, [](const DaemonRequest& request, DaemonResponse& response) {
        response.reply = request.payload;
    });
    auto client = Join();
    const std::string large(100000, 'L');
    ASSERT_TRUE(client->Send(RequestBytes(21, 1, "one") + RequestBytes(21, 2, large) +
                             RequestBytes(21, 3, "three")));
    const std::string replies = ReplyFrame(1, "one") + ReplyFrame(2, large) +
                                ReplyFrame(3, "three");
    EXPECT_EQ(client->Read(replies.size()), replies);

    for (char byte : RequestBytes(21, 4, "four")) ASSERT_TRUE(client->Send(std::string(1, byte)));
    EXPECT_EQ(client->Read(ReplyFrame(4, "four").size()), ReplyFrame(4, "four"));
}

TEST_F(DaemonServerTest, OwnAndUnknownRequestsGetOneEmptyReplyEach) {
    Start();
    auto client = Join();
    struct Case {
        int32_t id;
        bool unknown;
    } cases[] = {{0, false}, {140, false}, {141, false}, {150, false},
                 {2, false}, {999, true},  {-5, true}};
    uint32_t tid = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ++tid;
        // Request 2 is unknown too, until the asset table answers it.
        const bool unknown = c.unknown || c.id == 2;
        EXPECT_EQ(client->Transact(c.id, tid, "abc"), ReplyFrame(tid, ""));
        // Written before the reply leaves, so it is there once the reply has come.
        const std::string line =
            "unknown 1 id=" + std::to_string(c.id) + " tid=" + std::to_string(tid);
        EXPECT_EQ(HasLine(RecordPath(), line), unknown);
    }
}

TEST_F(DaemonServerTest, SeveralClientsAtOnce) {
    DaemonServer& server = Start();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    server.SetHook(500, [released](const DaemonRequest&, DaemonResponse& response) {
        released.wait();
        response.reply = ToWire("late");
    });
    server.SetHook(501, [](const DaemonRequest& request, DaemonResponse& response) {
        response.reply = ToWire(Le32(static_cast<uint32_t>(request.client)));
    });
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 4; ++i) clients.push_back(Join());
    EXPECT_EQ(server.Clients(), (std::vector<int>{1, 2, 3, 4}));

    // Client 1 waits inside its request while the others are served.
    ASSERT_TRUE(clients[0]->Send(RequestBytes(500, 1)));
    for (uint32_t i = 1; i < clients.size(); ++i) {
        EXPECT_EQ(clients[i]->Transact(501, 10 + i, "", 4), ReplyFrame(10 + i, Le32(i + 1)));
    }
    release.set_value();
    EXPECT_EQ(clients[0]->Read(16), ReplyFrame(1, "late"));
}

TEST_F(DaemonServerTest, GoodbyeEndsOnlyThatClient) {
    DaemonServer& server = Start();
    auto leaving = Join();
    auto staying = Join();
    ASSERT_TRUE(leaving->Send(Le32(1)));
    EXPECT_TRUE(leaving->SeesEnd());
    EXPECT_TRUE(WaitForLine(RecordPath(), "goodbye 1"));
    EXPECT_EQ(staying->Transact(0, 9, ""), ReplyFrame(9, ""));
    EXPECT_EQ(server.Clients(), std::vector<int>{2});
}

TEST_F(DaemonServerTest, HostileInputDropsOnlyThatClient) {
    Start();
    const std::string handshake = HandshakeBytes("\\inst\\UserData\\assets.tdx");
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"negative length", handshake + RequestBytes(5, 1).substr(0, 8) + Le32(0xFFFFFFFF),
         "bad-length"},
        {"huge length", handshake + RequestBytes(5, 1).substr(0, 8) + Le32(0x7FFFFFFF),
         "bad-length"},
        {"handshake tag in the wrong order", "KAVC" + handshake.substr(4), "bad-handshake"},
        {"negative path length", handshake.substr(0, 16) + Le32(0xFFFFFFF0), "bad-path-length"},
        {"huge path length", handshake.substr(0, 16) + Le32(1 << 20), "bad-path-length"},
        {"payload cut short", handshake + RequestBytes(5, 1).substr(0, 8) + Le32(1000) + "0123",
         "closed"},
        {"header cut short", handshake + Le32(5) + Bytes({1, 0}), "closed"},
    };
    int clientNumber = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto hostile = Connect();
        ++clientNumber;
        ASSERT_TRUE(hostile->Send(c.bytes));
        if (std::string(c.reason) == "closed") hostile->ShutdownSending();
        const std::string answer = hostile->Read(kHandshakeReply.size());
        EXPECT_TRUE(answer.empty() || answer == kHandshakeReply);
        EXPECT_TRUE(hostile->SeesEnd());
        EXPECT_TRUE(WaitForLine(RecordPath(), "drop " + std::to_string(clientNumber) +
                                                  " reason=" + c.reason));

        auto good = Join();
        ++clientNumber;
        EXPECT_EQ(good->Transact(0, 3, ""), ReplyFrame(3, ""));
    }
}

TEST_F(DaemonServerTest, ReplyFaults) {
    DaemonServer& server = Start();
    struct Case {
        DaemonFault fault;
        std::string frame;  // what arrives in place of the reply
        bool linkEnds;
    } cases[] = {
        {DaemonFault::kWrongTransactionId,
         Bytes({0x6C, 0x70, 0x65, 0x72, 0x07, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x00, 0xAA}),
         false},
        {DaemonFault::kBadFrameTag,
         Bytes({0x21, 0x64, 0x61, 0x62, 0x07, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xAA}),
         false},
        {DaemonFault::kNegativeLength,
         Bytes({0x6C, 0x70, 0x65, 0x72, 0x07, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}), false},
        {DaemonFault::kDropLink, "", true},
        {DaemonFault::kHoldReply, "", false},
    };
    int clientNumber = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(DaemonFaultName(c.fault));
        server.SetHook(30, [&c](const DaemonRequest&, DaemonResponse& response) {
            response.reply = ToWire(Bytes({0xAA}));
            response.fault = c.fault;
        });
        auto client = Join();
        ++clientNumber;
        ASSERT_TRUE(client->Send(RequestBytes(30, 7)));
        EXPECT_TRUE(WaitForLine(RecordPath(), "reply " + std::to_string(clientNumber) +
                                                  " tid=7 len=1 data=aa fault=" +
                                                  DaemonFaultName(c.fault)));
        if (c.linkEnds) {
            EXPECT_TRUE(client->SeesEnd());
            continue;
        }
        EXPECT_EQ(client->Read(c.frame.size()), c.frame);
        // The daemon itself stays in step: the next request is answered (and a held reply
        // never comes before it).
        EXPECT_EQ(client->Transact(0, 8, ""), ReplyFrame(8, ""));
    }
}

TEST_F(DaemonServerTest, HandshakeFaults) {
    DaemonServer& server = Start();
    server.SetHandshakeFaults(2);
    for (int i = 0; i < 2; ++i) {
        auto unanswered = Connect();
        ASSERT_TRUE(unanswered->Send(HandshakeBytes("\\x\\assets.tdx")));
        EXPECT_TRUE(unanswered->SeesEnd());
    }
    Join();
    server.SetHandshakeFaults(-1);
    for (int i = 0; i < 3; ++i) {
        auto unanswered = Connect();
        ASSERT_TRUE(unanswered->Send(HandshakeBytes("\\x\\assets.tdx")));
        EXPECT_TRUE(unanswered->SeesEnd());
    }
    server.SetHandshakeFaults(0);
    Join();
    EXPECT_TRUE(WaitForLine(RecordPath(), "drop 1 reason=no-handshake-reply"));
}

TEST_F(DaemonServerTest, AHookMayPassTheRequestOn) {
    DaemonServer& server = Start();
    server.SetHook(270, [](const DaemonRequest&, DaemonResponse& response) {
        response.notes.push_back({0, ToWire(Le32(9)), {}});
        response.passOn = true;
    });
    auto client = Join();
    ASSERT_TRUE(client->Send(RequestBytes(270, 2)));
    EXPECT_EQ(client->Read(16), Bytes({0x65, 0x74, 0x6F, 0x6E, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00,
                                       0x00, 0x00, 0x09, 0x00, 0x00, 0x00}));
    EXPECT_EQ(client->Read(12), ReplyFrame(2, ""));
    // The daemon's own handler of 270 still ends it.
    EXPECT_EQ(server.WaitForExit(), DaemonExit::kCloseRequest);
}

TEST_F(DaemonServerTest, QuestionsAndTheirAnswers) {
    DaemonServer& server = Start();
    server.SetHook(39, [](const DaemonRequest& request, DaemonResponse& response) {
        response.notes.push_back(
            {kNoteQuestion, QuestionPayload(request.transactionId, "$q", KUID(1, 2, 0)), 1});
    });
    auto client = Join();
    ASSERT_TRUE(client->Send(RequestBytes(39, 7)));
    // 'note' kind 2, 19 bytes: tid 7, PString "$q" (length 3 with its zero), KUID content
    // id 2 and the packed word of user 1 version 0; then the reply, not held back.
    EXPECT_EQ(client->Read(31),
              Bytes({0x65, 0x74, 0x6F, 0x6E, 0x02, 0x00, 0x00, 0x00, 0x13, 0x00, 0x00,
                     0x00, 0x07, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x24, 0x71,
                     0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(client->Read(12), ReplyFrame(7, ""));

    EXPECT_EQ(client->Transact(150, 8, Le32(7) + Le32(1)), ReplyFrame(8, ""));
    EXPECT_TRUE(WaitForLine(RecordPath(), "answer 1 tid=7 value=1 expected=1 match=yes"));
    // Asked once, so a second answer for the same transaction was not expected.
    EXPECT_EQ(client->Transact(150, 9, Le32(7) + Le32(2)), ReplyFrame(9, ""));
    EXPECT_TRUE(WaitForLine(RecordPath(), "answer 1 tid=7 value=2 expected=none match=no"));
    EXPECT_EQ(client->Transact(150, 10, Le32(7)), ReplyFrame(10, ""));
    EXPECT_TRUE(WaitForLine(RecordPath(), "answer 1 short"));
}

TEST_F(DaemonServerTest, RecordFileLines) {
    DaemonServer& server = Start();
    server.SetHook(21, [](const DaemonRequest& request, DaemonResponse& response) {
        response.notes.push_back({3, ToWire(Le32(request.transactionId) + "xy"), {}});
        response.reply = ToWire(Bytes({0xAA, 0xBB}));
    });
    server.SetHook(242, [](const DaemonRequest&, DaemonResponse& response) {
        response.reply = ToWire(Le32(6) + "secret");
    });
    auto client = Connect();
    ASSERT_EQ(client->Handshake("\\my inst\\UserData\\assets.tdx"), kHandshakeReply);
    client->Transact(21, 3, Bytes({1, 2}), 2 + 18);
    client->Transact(101, 4, "internet password=secret");
    client->Transact(242, 5, "", 10);
    client->Transact(999, 6, "");
    ASSERT_TRUE(client->Send(Le32(1)));
    ASSERT_TRUE(client->SeesEnd());
    server.Stop();

    const std::vector<std::string> expected = {
        "listen port=" + std::to_string(server.Port()),
        "connect 1",
        "handshake 1 version=330 build=49933 flag=1 path=\\my%20inst\\UserData\\assets.tdx",
        "request 1 id=21 tid=3 len=2 data=0102",
        "note 1 kind=3 len=6 data=030000007879",
        "reply 1 tid=3 len=2 data=aabb",
        "request 1 id=101 tid=4 len=24 data=masked",
        "unknown 1 id=101 tid=4",
        "reply 1 tid=4 len=0 data=masked",
        "request 1 id=242 tid=5 len=0 data=masked",
        "reply 1 tid=5 len=10 data=masked",
        "request 1 id=999 tid=6 len=0 data=",
        "unknown 1 id=999 tid=6",
        "reply 1 tid=6 len=0 data=",
        "goodbye 1",
        "end reason=stopped",
    };
    EXPECT_EQ(ReadLines(RecordPath()), expected);
}

// The test says something only when the client joined before the idle time ran out, which
// a busy machine may not allow for a short one: an attempt whose join came later is made
// again, with a fresh server, record and a four times longer idle time.
TEST_F(DaemonServerTest, IdleTimeCountsOnlyWithoutClients) {
    for (auto idle = 50ms;; idle *= 4) {
        ASSERT_LE(idle, 12800ms) << "no attempt let the client join within the idle time";
        options_.idleTime = idle;
        options_.recordPath = folder_.Path("record-" + std::to_string(idle.count()) + ".txt");
        const auto started = std::chrono::steady_clock::now();
        DaemonServer& server = Start();
        RawClient client(server.Port());
        const std::string handshake = client.Handshake();
        if (std::chrono::steady_clock::now() - started >= idle) continue;
        ASSERT_EQ(handshake, kHandshakeReply);

        std::this_thread::sleep_for(3 * idle);
        EXPECT_EQ(client.Transact(0, 1, ""), ReplyFrame(1, ""));
        ASSERT_TRUE(client.Send(Le32(1)));
        EXPECT_EQ(server.WaitForExit(), DaemonExit::kIdle);
        EXPECT_TRUE(WaitForLine(options_.recordPath, "end reason=idle"));
        return;
    }
}

TEST_F(DaemonServerTest, CloseRequestRepliesThenClosesEveryLink) {
    DaemonServer& server = Start();
    auto closing = Join();
    auto other = Join();
    EXPECT_EQ(closing->Transact(270, 4, ""), ReplyFrame(4, ""));
    EXPECT_TRUE(closing->SeesEnd());
    EXPECT_TRUE(other->SeesEnd());
    EXPECT_EQ(server.WaitForExit(), DaemonExit::kCloseRequest);
    EXPECT_TRUE(WaitForLine(RecordPath(), "end reason=close-request"));
}

}  // namespace
