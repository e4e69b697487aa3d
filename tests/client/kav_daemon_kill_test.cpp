// The real stand-in daemon killed while a request waits for its reply: the daemon's script
// holds the reply of one request, the test kills the daemon once the request is in, and
// the waiting request must fail within a bound, never hang. A fresh start afterwards
// launches a new daemon, which answers.
#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>
#include <future>
#include <thread>

#include "link/kav/kav_client.h"
#include "link/kav/kav_daemon_launch.h"
#include "foundation/streams/buffer_stream.h"
#include "kav_daemon_process_support.h"
#include "kav_daemon_record.h"

namespace {

constexpr int32_t kKeepAlive = 0;
constexpr int32_t kHeldRequest = 33;

constexpr char kHoldScript[] =
    "requests\n"
    "{\n"
    "  0\n"
    "  {\n"
    "    request 33\n"
    "    fault \"hold-reply\"\n"
    "  }\n"
    "}\n";

bool Transact(int32_t id) {
    BufferStream request;
    BufferStream reply;
    return KAVClient::Transact(id, request.Stream(), reply.Stream());
}

class KAVDaemonKillTest : public KAVDaemonProcessFixture {
protected:
    std::string RecordPath() const { return install_.Root() + "/record.txt"; }
    std::string ScriptPath() const { return install_.Root() + "/hold.txt"; }

    // The one daemon process running, or 0 when there is none or more than one.
    pid_t TheDaemon() const {
        const std::vector<pid_t> running = ProcessesRunning(Daemon());
        return running.size() == 1 ? running.front() : 0;
    }
};

TEST_F(KAVDaemonKillTest, AKillDuringARequestFailsItAndAFreshStartServesTheNext) {
    std::ofstream(ScriptPath()) << kHoldScript;
    ScopedVariable script("KAVDAEMON_SCRIPT", ScriptPath());
    ScopedVariable record("KAVDAEMON_RECORD", RecordPath());
    // Room for a daemon that starts slowly on a busy machine.
    KAVStartSchedule::SetWaitMs(250);
    KAVClientStartOptions options;
    options.relaunch = false;
    ASSERT_TRUE(KAVClient::Start(options));
    ASSERT_TRUE(Transact(kKeepAlive));
    const pid_t first = TheDaemon();
    ASSERT_NE(first, 0);

    std::promise<bool> answered;
    std::future<bool> result = answered.get_future();
    std::thread requester([&answered] { answered.set_value(Transact(kHeldRequest)); });
    // The daemon has the request and holds its reply.
    EXPECT_TRUE(WaitUntilWithinBound(
        [&] { return CountRecordLines(RecordPath(), "reply 1 tid=") == 2; }));
    EXPECT_EQ(CountRecordLines(RecordPath(), "request 1 id=33 "), 1u);
    EXPECT_NE(result.wait_for(std::chrono::seconds(0)), std::future_status::ready);

    ASSERT_EQ(kill(first, SIGKILL), 0);
    const bool ended = result.wait_for(kProcessTestBound) == std::future_status::ready;
    // A hang fails the test, which must still end: dropping the link fails the request.
    if (!ended) KAVClient::Disconnect(true);
    requester.join();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(result.get());
    ASSERT_TRUE(WaitUntilGone());

    KAVClient::Shutdown();
    ASSERT_TRUE(KAVClient::Start(options));
    EXPECT_TRUE(Transact(kKeepAlive));
    const pid_t second = TheDaemon();
    EXPECT_NE(second, 0);
    EXPECT_NE(second, first);
}

}  // namespace
