// Scripted mode: scripts in config.txt syntax read into answers, their mistakes reported
// with their place, and a scripted server seen through a raw socket.
#include <gtest/gtest.h>

#include <memory>

#include "daemon/daemon_script.h"
#include "daemon/daemon_script_hooks.h"
#include "daemon/daemon_server.h"
#include "daemon_test_support.h"
#include "engine/temp_folder.h"

namespace {

using namespace daemon_test;

const char kScript[] =
    "handshake\n"
    "{\n"
    "  fault \"no-handshake-reply\"\n"
    "  times 1\n"
    "}\n"
    "requests\n"
    "{\n"
    "  0\n"
    "  {\n"
    "    request 21\n"
    "    fault \"drop-link\"\n"
    "    times 1\n"
    "  }\n"
    "  1\n"
    "  {\n"
    "    request 21\n"
    "    reply \"0a 0B\"\n"
    "    times 2\n"
    "    notes\n"
    "    {\n"
    "      0\n"
    "      {\n"
    "        kind 0\n"
    "        status 5\n"
    "      }\n"
    "      1\n"
    "      {\n"
    "        kind 2\n"
    "        prompt \"$q\"\n"
    "        kuid <kuid:1:2>\n"
    "        expect 1\n"
    "      }\n"
    "      2\n"
    "      {\n"
    "        kind 3\n"
    "        data \"7879\"\n"
    "      }\n"
    "    }\n"
    "  }\n"
    "  2\n"
    "  {\n"
    "    request 999\n"
    "    fault \"wrong-transaction-id\"\n"
    "  }\n"
    "  3\n"
    "  {\n"
    "    request 33\n"
    "    fault \"hold-reply\"\n"
    "  }\n"
    "}\n";

class DaemonScriptTest : public ::testing::Test {
protected:
    bool Load(const std::string& text, DaemonScript& script, std::string& error) const {
        folder_.WriteFile("script.txt", text);
        return LoadDaemonScript(folder_.Path("script.txt"), script, error);
    }

    TempFolder folder_;
};

TEST_F(DaemonScriptTest, ReadsAnswersNotesAndFaults) {
    DaemonScript script;
    std::string error;
    ASSERT_TRUE(Load(kScript, script, error)) << error;
    EXPECT_EQ(script.handshakeFaults, 1);
    ASSERT_EQ(script.answers.size(), 4u);

    EXPECT_EQ(script.answers[0].requestId, 21);
    EXPECT_EQ(script.answers[0].fault, DaemonFault::kDropLink);
    EXPECT_EQ(script.answers[0].times, 1);

    const ScriptAnswer& second = script.answers[1];
    EXPECT_EQ(second.reply, (WireBytes{0x0A, 0x0B}));
    EXPECT_EQ(second.times, 2);
    ASSERT_EQ(second.notes.size(), 3u);
    EXPECT_EQ(second.notes[0].status, 5);
    EXPECT_EQ(second.notes[1].prompt, "$q");
    EXPECT_EQ(second.notes[1].kuid, KUID(1, 2, 0));
    EXPECT_EQ(second.notes[1].expectAnswer, 1);
    EXPECT_EQ(second.notes[2].data, (WireBytes{0x78, 0x79}));

    EXPECT_EQ(script.answers[2].fault, DaemonFault::kWrongTransactionId);
    EXPECT_EQ(script.answers[2].times, 0);
    EXPECT_EQ(script.answers[3].requestId, 33);
    EXPECT_EQ(script.answers[3].fault, DaemonFault::kHoldReply);
}

TEST_F(DaemonScriptTest, CommandHostJobsAreReadInOrder) {
    DaemonScript script;
    std::string error;
    ASSERT_TRUE(Load("jobs\n{\n  0\n  {\n    data \"07000000\"\n  }\n  1\n  {\n  }\n}\n",
                     script, error))
        << error;
    EXPECT_EQ(script.jobs, (std::vector<WireBytes>{{7, 0, 0, 0}, {}}));
}

TEST_F(DaemonScriptTest, MistakesAreReportedWithTheirPlace) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"replies\n{\n}\n", "script: unknown tag \"replies\""},
        {"requests\n{\n  0\n  {\n    reply \"00\"\n  }\n}\n", "requests/0: \"request\" is missing"},
        {"requests\n{\n  0\n  {\n    request \"21\"\n  }\n}\n",
         "requests/0: \"request\" is not an integer"},
        {"requests\n{\n  0\n  {\n    request 21\n    reply \"0g\"\n  }\n}\n",
         "requests/0: \"reply\" is not hex bytes"},
        {"requests\n{\n  0\n  {\n    request 21\n    reply \"abc\"\n  }\n}\n",
         "requests/0: \"reply\" is not hex bytes"},
        {"requests\n{\n  0\n  {\n    request 21\n    fault \"explode\"\n  }\n}\n",
         "requests/0: unknown fault \"explode\""},
        {"requests\n{\n  0\n  {\n    request 21\n    fault \"no-handshake-reply\"\n  }\n}\n",
         "requests/0: \"no-handshake-reply\" belongs to the handshake"},
        {"requests\n{\n  0\n  {\n    request 21\n    times -1\n  }\n}\n",
         "requests/0: \"times\" is negative"},
        {"requests\n{\n  0\n  {\n    request 21\n    reply \"00\"\n    colour 3\n  }\n}\n",
         "requests/0: unknown tag \"colour\""},
        {"requests\n{\n  7 21\n}\n", "requests/7: an entry is a container"},
        {"requests\n{\n  0\n  {\n    request 21\n    notes\n    {\n      a\n      {\n"
         "        status 1\n      }\n    }\n  }\n}\n",
         "requests/0/notes/a: \"kind\" is missing"},
        {"handshake\n{\n  fault \"drop-link\"\n}\n",
         "handshake: the only handshake fault is \"no-handshake-reply\""},
        {"jobs\n{\n  0\n  {\n    data \"0g\"\n  }\n}\n", "jobs/0: \"data\" is not hex bytes"},
        {"jobs\n{\n  0\n  {\n    kind 1\n  }\n}\n", "jobs/0: unknown tag \"kind\""},
        {"jobs\n{\n  0 7\n}\n", "jobs/0: a job is a container"},
    };
    for (const auto& c : cases) {
        DaemonScript script;
        std::string error;
        EXPECT_FALSE(Load(c.text, script, error)) << c.text;
        EXPECT_EQ(error, c.error);
    }

    DaemonScript script;
    std::string error;
    EXPECT_FALSE(LoadDaemonScript(folder_.Path("missing.txt"), script, error));
    EXPECT_EQ(error, "cannot read the script " + folder_.Path("missing.txt"));
}

TEST_F(DaemonScriptTest, AScriptedServerAnswersInOrderThenAsWithoutScript) {
    DaemonScript script;
    std::string error;
    ASSERT_TRUE(Load(kScript, script, error)) << error;
    DaemonOptions options;
    options.recordPath = folder_.Path("record.txt");
    options.idleTime = std::chrono::milliseconds(0);
    DaemonServer server(options);
    InstallDaemonScript(script, server);
    ASSERT_EQ(server.Start(), DaemonStart::kStarted);

    // The first handshake goes unanswered.
    RawClient refused(server.Port());
    ASSERT_TRUE(refused.Send(HandshakeBytes("\\i\\UserData\\assets.tdx")));
    EXPECT_TRUE(refused.SeesEnd());

    // First request 21: the link drops.
    RawClient first(server.Port());
    ASSERT_EQ(first.Handshake(), kHandshakeReply);
    ASSERT_TRUE(first.Send(RequestBytes(21, 1)));
    EXPECT_TRUE(first.SeesEnd());

    // The next two: the three notes, then the reply 0A 0B.
    RawClient client(server.Port());
    ASSERT_EQ(client.Handshake(), kHandshakeReply);
    const std::string notes =
        Bytes({0x65, 0x74, 0x6F, 0x6E, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00}) + Le32(5) +
        Bytes({0x65, 0x74, 0x6F, 0x6E, 0x02, 0x00, 0x00, 0x00, 0x13, 0x00, 0x00, 0x00}) + Le32(2) +
        Le32(3) + "$q" + Bytes({0}) + Le32(2) + Le32(1) +
        Bytes({0x65, 0x74, 0x6F, 0x6E, 0x03, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00}) + Le32(2) +
        "xy";
    EXPECT_EQ(client.Transact(21, 2, "", notes.size() + 2),
              notes + ReplyFrame(2, Bytes({0x0A, 0x0B})));
    EXPECT_EQ(client.Transact(150, 3, Le32(2) + Le32(1)), ReplyFrame(3, ""));
    EXPECT_TRUE(WaitForLine(folder_.Path("record.txt"),
                            "answer 3 tid=2 value=1 expected=1 match=yes"));
    EXPECT_EQ(client.Transact(21, 4, "", notes.size() + 2).substr(notes.size()),
              ReplyFrame(4, Bytes({0x0A, 0x0B})));

    // Every counted entry used: the daemon answers as without a script.
    EXPECT_EQ(client.Transact(21, 5, ""), ReplyFrame(5, ""));
    EXPECT_TRUE(WaitForLine(folder_.Path("record.txt"), "unknown 3 id=21 tid=5"));

    // A held request is never answered, and the link stays open for the next ones.
    ASSERT_TRUE(client.Send(RequestBytes(33, 6)));
    EXPECT_TRUE(
        WaitForLine(folder_.Path("record.txt"), "reply 3 tid=6 len=0 data= fault=hold-reply"));

    // An entry without a count answers every time.
    for (uint32_t tid = 7; tid < 9; ++tid) {
        EXPECT_EQ(client.Transact(999, tid, ""),
                  Le32(0x7265706C) + Le32(tid ^ 0x80000000u) + Le32(0));
    }
}

}  // namespace
