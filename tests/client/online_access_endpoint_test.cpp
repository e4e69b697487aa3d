// The online-access endpoint against a fake server (TME datagrams written byte by byte on
// loopback UDP) and the in-process stand-in daemon answering the profile, credential and
// login-address requests: logging in, the bandwidth limits, refused logins, the login
// address fetched when no credential is stored, direct messages stored and replayed, group
// traffic nobody follows, and the stored-message file.
#include "link/online/online_access_endpoint.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/log.h"
#include "engine/options.h"
#include "online_access_fake_server.h"

using namespace onlinetest;

namespace {

TEST_F(OnlineAccessEndpointTest, LogsInThroughHelloChallengeAndResult) {
    LogIn(40000);
    EXPECT_EQ(endpoint_->GetStatus(), OnlineAccessClientEndpoint::kLoggedIn);
    EXPECT_EQ(endpoint_->PerMessageLimit(), 40000.0f);
    EXPECT_EQ(OnlyPayload(240), Bytes{});
    EXPECT_EQ(Payloads(242).size(), 2u) << "once to connect, once to answer the challenge";
    EXPECT_TRUE(Payloads(241).empty());
}

// A login result that leaves a value out, or gives 0 or less, keeps the default: a limit of
// 0 would refuse every post, a keep-alive of 0 acknowledge on every tick.
struct LoginResultCase {
    const char* what;
    Bytes afterError;
    float limit;
    float keepAlive;
};

class OnlineLoginResultTest : public OnlineAccessEndpointTest,
                              public ::testing::WithParamInterface<LoginResultCase> {};

TEST_P(OnlineLoginResultTest, KeepsTheDefaultsForValuesItDoesNotGive) {
    LogInWithResult(GetParam().afterError);
    EXPECT_EQ(endpoint_->GetStatus(), OnlineAccessClientEndpoint::kLoggedIn);
    EXPECT_EQ(endpoint_->PerMessageLimit(), GetParam().limit);
    EXPECT_EQ(endpoint_->keepAliveInterval, GetParam().keepAlive);
}

INSTANTIATE_TEST_SUITE_P(
    Values, OnlineLoginResultTest,
    ::testing::Values(LoginResultCase{"nothing", {}, 32000.0f, 120.0f},
                      LoginResultCase{"zeros", Concat({Le32(0), Float32(0.0f)}), 32000.0f, 120.0f},
                      LoginResultCase{"negative", Concat({Le32(0xFFFFFFFFu), Float32(-5.0f)}), 32000.0f, 120.0f},
                      LoginResultCase{"limit alone", Le32(1000), 1000.0f, 120.0f},
                      LoginResultCase{"both", Concat({Le32(500), Float32(30.0f)}), 500.0f, 30.0f}),
    [](const ::testing::TestParamInfo<LoginResultCase>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (c == ' ') c = '_';
        return name;
    });

TEST_F(OnlineAccessEndpointTest, PostsAreMeasuredAgainstTheLimitsBeforeTheirSizeIsAdded) {
    LogIn(40000, [this] {
        EXPECT_EQ(endpoint_->PostMessage(KUID(1, 2, 0), Kiv::String("x"), ACSChunkRef(), 0), 1)
            << "not logged in yet";
        EXPECT_EQ(endpoint_->PostMessage(KUID(1, 2, 0), Kiv::String(std::string(40000, 'n')),
                                         ACSChunkRef(), 0),
                  1);
    });
    // A kind byte, the KUID, the name's length word and text, the empty body, the version and
    // the flag: 31,000 bytes with a name of this length.
    const size_t fixed = 1 + 8 + 4 + SoupBytes(ACSChunkRef()).size() + 4 + 1;
    const Kiv::String name(std::string(31000 - fixed, 'n'));
    std::vector<int32_t> results;
    for (int i = 0; i < 4; ++i)
        results.push_back(endpoint_->PostMessage(KUID(1, 2, 0), name, ACSChunkRef(), 1));
    EXPECT_EQ(results, (std::vector<int32_t>{0, 0, 0, 4}));
    EXPECT_EQ(endpoint_->MinuteCounter(), 93000.0f);
    TickAt(0.5f);
    const std::vector<Bytes> sent = server_udp_.Drain();
    ASSERT_EQ(sent.size(), 3u);
    for (const Bytes& datagram : sent) {
        EXPECT_EQ(datagram.size(), 2u + 31000u);
        EXPECT_EQ(datagram[2], 11);
    }
    // A minute later the bucket has drained by the per-minute limit.
    TickAt(60.5f);
    EXPECT_EQ(endpoint_->MinuteCounter(), 29000.0f);
    EXPECT_EQ(endpoint_->PostMessage(KUID(1, 2, 0), name, ACSChunkRef(), 1), 0);
}

TEST_F(OnlineAccessEndpointTest, APostTheLinkRefusesCountsNothingAndAnswers4) {
    LogIn(40000);
    for (int i = 0; i < 1001; ++i)
        ASSERT_EQ(endpoint_->PostMessage(KUID(1, 2, 0), Kiv::String("m"), ACSChunkRef(), 0), 0);
    const float before = endpoint_->MinuteCounter();
    EXPECT_EQ(endpoint_->PostMessage(KUID(1, 2, 0), Kiv::String("m"), ACSChunkRef(), 0), 4);
    EXPECT_EQ(endpoint_->MinuteCounter(), before);
}

TEST_F(OnlineAccessEndpointTest, RefusedLogins) {
    struct Case {
        const char* what;
        Bytes message;
        size_t loginFailedRequests;
    };
    const Case cases[] = {
        {"challenge with an error", Concat({{1}, Str("no such user"), Str("")}), 0},
        {"result with an error", Concat({{3}, Str("bad credential")}), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Answer(240, kProfileReply);
        Answer(241, {});
        Answer(242, Str("s3cret"));
        payloads_.clear();
        ASSERT_TRUE(endpoint_->Connect(true));
        TickAt(0.5f);
        ASSERT_TRUE(server_udp_.Next().has_value());
        server_udp_.Send(c.message);
        EXPECT_TRUE(TickUntil([this] { return endpoint_->GetStatus() == 3; }));
        EXPECT_EQ(Payloads(241).size(), c.loginFailedRequests);
        endpoint_->Disconnect();
        server_udp_.Drain();
        server_udp_.Restart();
    }
}

TEST_F(OnlineAccessEndpointTest, AnEmptyProfileSetsStatus0AndSaysSo) {
    const std::string logPath =
        (std::filesystem::temp_directory_path() / "online_access_profile.log").string();
    std::filesystem::remove(logPath);
    Kiv::Options options;
    options.ProcessRaw(("-LogFile=" + logPath).c_str());
    ASSERT_TRUE(Kiv::Log::Init(options));
    Answer(240, Str(""));
    EXPECT_FALSE(endpoint_->Connect(false));
    Kiv::Log::Shutdown();
    EXPECT_EQ(endpoint_->GetStatus(), OnlineAccessClientEndpoint::kNoProfile);
    EXPECT_TRUE(Payloads(242).empty());
    std::ifstream in(logPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("OnlineAccessClientEndpoint::Connect> empty profile name\n"),
              std::string::npos);
    std::filesystem::remove(logPath);
}

TEST_F(OnlineAccessEndpointTest, WithoutACredentialTheLoginAddressIsFetchedThenItConnects) {
    Answer(240, kProfileReply);
    Answer(242, Str(""));
    Answer(230, kFetchHandle);
    Answer(232, Concat({Byte(0), Le32(1), Le32(0), Le32(3), Str(""), PStr("")}));
    EXPECT_FALSE(endpoint_->Connect(false));
    EXPECT_EQ(endpoint_->GetStatus(), OnlineAccessClientEndpoint::kConnecting);
    EXPECT_TRUE(endpoint_->HasPendingLogin());
    UrlRecord login;
    ASSERT_TRUE(UrlRecord::Parse("vxlogin://", login));
    EXPECT_EQ(OnlyPayload(230), Concat({Byte(0), PStr(std::string(UrlRecord::ToString(login).View())),
                                        Le32(2), Le32(0xFFFFFFFF), SoupBytes(ACSChunkRef())}));
    TickAt(1.0f);
    EXPECT_TRUE(endpoint_->HasPendingLogin()) << "the daemon has not handled it yet";
    // The handler stored a credential and the daemon reports the address handled.
    Answer(242, Str("s3cret"));
    Answer(232, Concat({Byte(1), Le32(1), Le32(0), Le32(3), Str(""), PStr("")}));
    TickAt(2.0f);
    EXPECT_FALSE(endpoint_->HasPendingLogin());
    EXPECT_EQ(OnlyPayload(231), kFetchHandle);
    TickAt(2.5f);
    const auto hello = server_udp_.Next();
    ASSERT_TRUE(hello.has_value());
    EXPECT_EQ((*hello)[2], 0) << "the hello";
}

TEST_F(OnlineAccessEndpointTest, DisconnectReleasesThePendingLoginOnce) {
    Answer(240, kProfileReply);
    Answer(242, Str(""));
    Answer(230, kFetchHandle);
    EXPECT_FALSE(endpoint_->Connect(false));
    endpoint_->Disconnect();
    endpoint_->Disconnect();
    EXPECT_FALSE(endpoint_->HasPendingLogin());
    EXPECT_EQ(endpoint_->GetStatus(), OnlineAccessClientEndpoint::kDisconnected);
    EXPECT_EQ(OnlyPayload(231), kFetchHandle);
}

TEST_F(OnlineAccessEndpointTest, DirectMessagesWaitForTheirClientWhateverItsVersion) {
    LogIn(40000);
    RecordingClient registered(KUID(5, 7, 0));
    endpoint_->AddClient(&registered);
    ASSERT_TRUE(Deliver(DirectMessage(10, KUID(5, 7, 0), "to you")));
    ASSERT_TRUE(Deliver(DirectMessage(10, KUID(5, 7, 1), "another version")));
    ASSERT_TRUE(Deliver(DirectMessage(11, KUID(6, 7, 2), "for later")));
    EXPECT_EQ(registered.names, (std::vector<std::string>{"to you"}));
    EXPECT_EQ(endpoint_->StoredMessageCount(), 2);
    RecordingClient later(KUID(6, 7, 0));
    endpoint_->AddClient(&later);
    EXPECT_EQ(later.names, (std::vector<std::string>{"for later"}));
    EXPECT_EQ(endpoint_->StoredMessageCount(), 1);
}

TEST_F(OnlineAccessEndpointTest, GroupTrafficNobodyFollowsLeavesTheGroup) {
    LogIn(40000);
    RecordingListener listener;
    endpoint_->AddGroupListener(&listener);
    ASSERT_TRUE(Deliver(Concat({{20}, PStr("made"), Le32(42)})));
    EXPECT_EQ(listener.opened, (std::vector<std::string>{"made"}));
    EXPECT_EQ(listener.openedValues, (std::vector<int32_t>{42}));
    const Bytes groupMessage = Concat({{24}, KuidBytes(1, 2, 0), Str("hi"), PStr("trains"),
                                       SoupBytes(ACSChunkRef())});
    ASSERT_TRUE(Deliver(groupMessage));
    TickAt(0.5f);
    std::vector<Bytes> sent = server_udp_.Drain();
    ASSERT_FALSE(sent.empty());
    const Bytes& leave = sent.back();
    EXPECT_EQ(Bytes(leave.begin() + 2, leave.end()), Concat({{22}, PStr("trains")}));
}

Bytes StoredFile(const std::vector<Bytes>& messages, int32_t count) {
    Bytes file = Concat({Le32(1), Le32(static_cast<uint32_t>(count))});
    for (const Bytes& message : messages) file = Concat({file, message});
    return file;
}

// A versioned message without its kind byte, as the file holds it.
Bytes Stored(const KUID& kuid, const std::string& name) {
    const Bytes message = DirectMessage(11, kuid, name);
    return Bytes(message.begin() + 1, message.end());
}

std::unique_ptr<TMEPacket> StreamOf(const Bytes& bytes) {
    auto stream = std::make_unique<TMEPacket>();
    stream->Assign(bytes.size(), bytes.data());
    return stream;
}

TEST_F(OnlineAccessEndpointTest, StoredMessagesFile) {
    const Bytes two = StoredFile({Stored(KUID(1, 1, 0), "a"), Stored(KUID(2, 2, 0), "b")}, 2);
    endpoint_->LoadStoredMessages(*StreamOf(two));
    EXPECT_EQ(endpoint_->StoredMessageCount(), 2);
    TMEPacket saved;
    endpoint_->SaveStoredMessages(saved);
    EXPECT_EQ(saved.ReadAll(), two);
    // A count beyond what the file holds keeps what reads whole.
    endpoint_->LoadStoredMessages(*StreamOf(StoredFile({Stored(KUID(3, 3, 0), "c")}, 5)));
    EXPECT_EQ(endpoint_->StoredMessageCount(), 1);
    // Another format leaves the messages alone.
    endpoint_->LoadStoredMessages(*StreamOf(Concat({Le32(2), Le32(0)})));
    EXPECT_EQ(endpoint_->StoredMessageCount(), 1);
    // Beyond a thousand, the oldest go.
    std::vector<Bytes> many;
    for (int i = 0; i < 1001; ++i) many.push_back(Stored(KUID(i + 1, 1, 0), "m"));
    endpoint_->LoadStoredMessages(*StreamOf(StoredFile(many, 1001)));
    EXPECT_EQ(endpoint_->StoredMessageCount(), 1000);
    RecordingClient first(KUID(1, 1, 0)), second(KUID(2, 1, 0));
    endpoint_->AddClient(&first);
    endpoint_->AddClient(&second);
    EXPECT_TRUE(first.names.empty());
    EXPECT_EQ(second.names.size(), 1u);
}

TEST_F(OnlineAccessEndpointTest, TheMessageCacheFileSurvivesTheProcess) {
    LogIn(40000);
    ASSERT_TRUE(Deliver(DirectMessage(11, KUID(9, 9, 0), "kept")));
    const std::filesystem::path before = std::filesystem::current_path();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("oa_cache_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    endpoint_->SaveMessageCache();
    OnlineAccessClientEndpoint reader(OnlineAccessServer{Kiv::String("127.0.0.1"), 1});
    reader.LoadMessageCache();
    std::filesystem::current_path(before);
    EXPECT_TRUE(std::filesystem::exists(folder / "cache" / "oa_messages.dat"));
    EXPECT_FALSE(std::filesystem::exists(folder / "cache" / "oa_messages.dat.new"));
    std::filesystem::remove_all(folder);
    RecordingClient client(KUID(9, 9, 0));
    reader.AddClient(&client);
    EXPECT_EQ(client.names, (std::vector<std::string>{"kept"}));
}

// A listener that leaves the endpoint when told its client went, as a closing group does.
class LeavingListener : public RecordingListener {
public:
    explicit LeavingListener(OnlineAccessClientEndpoint& endpoint) : endpoint_(endpoint) {}
    void ClientRemoved(OnlineAccessClientBase* client) override {
        removed.push_back(client);
        endpoint_.RemoveGroupListener(this);
    }
    std::vector<OnlineAccessClientBase*> removed;

private:
    OnlineAccessClientEndpoint& endpoint_;
};

TEST_F(OnlineAccessEndpointTest, EveryListenerHearsOfARemovedClientWhileEachLeaves) {
    RecordingClient client(KUID(7, 8, 0));
    endpoint_->AddClient(&client);
    std::vector<std::unique_ptr<LeavingListener>> listeners;
    for (int i = 0; i < 3; ++i) {
        listeners.push_back(std::make_unique<LeavingListener>(*endpoint_));
        endpoint_->AddGroupListener(listeners.back().get());
    }
    endpoint_->RemoveClient(&client);
    for (const auto& listener : listeners)
        EXPECT_EQ(listener->removed, std::vector<OnlineAccessClientBase*>{&client});
    // All have left: a second removal reaches nobody.
    endpoint_->RemoveClient(&client);
    for (const auto& listener : listeners) EXPECT_EQ(listener->removed.size(), 1u);
}
} // namespace
