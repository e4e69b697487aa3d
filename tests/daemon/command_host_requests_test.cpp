// Command hosts at the daemon, through raw sockets: a validation (38) relayed to the
// registered host as job 0 comes back as the request's log note and reply; a host whose
// link ends while a relay waits fails that validation instead of leaving it hanging; and a
// host alone does not keep the daemon from ending when idle.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "daemon/daemon_server.h"
#include "daemon_test_support.h"
#include "engine/temp_folder.h"
#include "foundation/results/results_log.h"
#include "foundation/streams/buffer_stream.h"

namespace {

using namespace daemon_test;
using namespace std::chrono_literals;

std::string PStringField(const std::string& text) {
    return Le32(static_cast<uint32_t>(text.size() + 1)) + text + std::string(1, '\0');
}
std::string StringField(const std::string& text) {
    return Le32(static_cast<uint32_t>(text.size())) + text;
}
std::string NoteHeader(int32_t kind, size_t length) {
    return Bytes({0x65, 0x74, 0x6F, 0x6E}) + Le32(static_cast<uint32_t>(kind)) +
           Le32(static_cast<uint32_t>(length));
}

// A results log of one error, in its stream form.
std::string OneErrorLog() {
    ResultsLog log;
    log.AddEntry(ResultsLogKind::Error, nullptr, Kiv::String(std::string("bad mesh")));
    BufferStream stream;
    log.Write(stream.Stream(), 0);
    return std::string(reinterpret_cast<const char*>(stream.Buffer().GetData()),
                       static_cast<size_t>(stream.Stream().Tell()));
}

class CommandHostRequestsTest : public ::testing::Test {
  protected:
    DaemonServer& Start(std::chrono::milliseconds idle = 0ms) {
        DaemonOptions options;
        options.recordPath = folder_.Path("record.txt");
        options.idleTime = idle;
        server_ = std::make_unique<DaemonServer>(options);
        EXPECT_EQ(server_->Start(), DaemonStart::kStarted);
        return *server_;
    }
    std::unique_ptr<RawClient> Join() const {
        auto client = std::make_unique<RawClient>(server_->Port());
        EXPECT_EQ(client->Handshake(), kHandshakeReply);
        return client;
    }
    std::unique_ptr<RawClient> JoinAsHost() const {
        auto host = Join();
        EXPECT_EQ(host->Transact(140, 1, ""), ReplyFrame(1, ""));
        return host;
    }

    const std::string validation_ = PStringField("local/a") + StringField("/x/a");
    const std::string job_ = Le32(0) + PStringField("local/a") + PStringField("/x/a");
    TempFolder folder_;
    std::unique_ptr<DaemonServer> server_;
};

TEST_F(CommandHostRequestsTest, ARelayedValidationBringsBackTheHostsLogAndResult) {
    Start();
    auto host = JoinAsHost();
    auto requester = Join();
    ASSERT_TRUE(requester->Send(RequestBytes(38, 7, validation_)));

    EXPECT_EQ(host->Read(12 + job_.size()), NoteHeader(1, job_.size()) + job_);
    const std::string log = OneErrorLog();
    EXPECT_EQ(host->Transact(141, 2, log + std::string(1, '\0')), ReplyFrame(2, ""));

    const std::string note = Le32(7) + log;
    EXPECT_EQ(requester->Read(12 + note.size()), NoteHeader(3, note.size()) + note);
    EXPECT_EQ(requester->Read(13), ReplyFrame(7, std::string(1, '\0')));
    EXPECT_TRUE(WaitForLine(folder_.Path("record.txt"), "relay 2 host=1"));
}

TEST_F(CommandHostRequestsTest, AHostThatGoesAwayFailsTheValidationItWasGiven) {
    Start();
    auto host = JoinAsHost();
    auto requester = Join();
    ASSERT_TRUE(requester->Send(RequestBytes(38, 7, validation_)));
    EXPECT_EQ(host->Read(12 + job_.size()), NoteHeader(1, job_.size()) + job_);
    host.reset();

    const std::string header = requester->Read(12);
    ASSERT_EQ(header.substr(0, 8), NoteHeader(3, 0).substr(0, 8)); // the error's log note
    const uint32_t length = static_cast<uint8_t>(header[8]) | static_cast<uint8_t>(header[9]) << 8;
    const std::string body = requester->Read(length);
    EXPECT_NE(body.find("did not answer"), std::string::npos);
    EXPECT_EQ(requester->Read(13), ReplyFrame(7, std::string(1, '\0')));
}

// As for the idle time without clients: an attempt whose host registered after the idle
// time ran out is made again with a longer one.
TEST_F(CommandHostRequestsTest, AHostAloneDoesNotKeepTheDaemonFromEndingWhenIdle) {
    for (auto idle = 100ms;; idle *= 4) {
        ASSERT_LE(idle, 6400ms) << "no attempt let the host register within the idle time";
        const auto started = std::chrono::steady_clock::now();
        DaemonServer& server = Start(idle);
        auto host = std::make_unique<RawClient>(server.Port());
        const std::string handshake = host->Handshake();
        const std::string registered = host->Transact(140, 1, "");
        if (std::chrono::steady_clock::now() - started >= idle) {
            server_.reset();
            continue;
        }
        ASSERT_EQ(handshake, kHandshakeReply);
        ASSERT_EQ(registered, ReplyFrame(1, ""));
        EXPECT_EQ(server.WaitForExit(), DaemonExit::kIdle);
        EXPECT_TRUE(host->SeesEnd());
        return;
    }
}

} // namespace
