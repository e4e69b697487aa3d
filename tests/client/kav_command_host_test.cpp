// The command host's loop against the in-process stand-in daemon: it registers (140), serves
// the jobs the daemon pushes (an unknown job unanswered, a validation answered by 141),
// sends a keep-alive on exactly every 100th pass, and ends when the link drops.
#include "kav_requests_test_support.h"

#include <mutex>
#include <thread>
#include <vector>

#include "client/host/kav_command_host.h"

namespace {

class KAVCommandHostTest : public KAVRequestsTest {
  protected:
    void TearDown() override {
        KAVCommandHost::ResetTiming();
        KAVRequestsTest::TearDown();
    }
};

DaemonNote Job(const Bytes& payload) {
    return DaemonNote{kNoteCommandJob, payload, {}};
}

TEST_F(KAVCommandHostTest, ServesPushedJobsKeepsAliveEveryHundredPassesAndEndsWithTheLink) {
    KAVCommandHost::SetTiming({1, 100, 1});
    // Registration brings two jobs: one that names no job, then a validation.
    server_->SetHook(140, [](const DaemonRequest&, DaemonResponse& response) {
        response.notes.push_back(Job(Le32(7)));
        response.notes.push_back(Job(Concat({Le32(0), PStr("local/a"), PStr("/nowhere/a")})));
    });
    Answer(141, {});
    std::mutex lock;
    std::vector<uint64_t> passesAtKeepAlive;
    server_->SetHook(0, [&](const DaemonRequest&, DaemonResponse&) {
        std::lock_guard<std::mutex> hold(lock);
        passesAtKeepAlive.push_back(KAVCommandHost::Passes());
    });
    std::thread stopper([&] {
        WaitUntil([&] {
            std::lock_guard<std::mutex> hold(lock);
            return passesAtKeepAlive.size() >= 3 && !Payloads(141).empty();
        });
        server_->Stop();
    });
    EXPECT_FALSE(KAVCommandHost::Run());
    stopper.join();

    std::lock_guard<std::mutex> hold(lock);
    ASSERT_GE(passesAtKeepAlive.size(), 3u);
    for (size_t i = 0; i < passesAtKeepAlive.size(); ++i) {
        EXPECT_EQ(passesAtKeepAlive[i], 100 * (i + 1));
    }
    // One answer: the validation of a folder no installation holds, an empty log (version
    // 0, no entry) and false.
    EXPECT_EQ(Payloads(141), std::vector<Bytes>{Concat({Le32(0), Le32(0), Byte(0)})});
    EXPECT_FALSE(KAVClient::IsConnected());
}

} // namespace
