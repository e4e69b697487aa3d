// The online-access endpoint's test fixture: a fake server (TME datagrams written byte by
// byte on loopback UDP), recording clients and group listeners, and a test base that owns
// an endpoint pointed at the fake server, with the in-process stand-in daemon answering
// the profile, credential and login-address requests. Shared by the endpoint's tests and
// those of the script objects that use it.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/jobs/process_identity.h"
#include "kav_requests_test_support.h"
#include "link/online/online_access_endpoint.h"
#include "udp_test_support.h"

namespace onlinetest {

inline Bytes Float32(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return Le32(bits);
}

// A server side of the TME link whose datagrams the test writes: it numbers what it sends
// and acknowledges what it received.
class FakeServer {
public:
    uint16_t Port() const { return socket_.Port(); }
    // The next datagram from the endpoint, acknowledged in the next one sent.
    std::optional<Bytes> Next() {
        auto datagram = socket_.Next();
        if (!datagram || datagram->size() < 2) return datagram;
        endpointPort_ = socket_.LastSenderPort();
        if ((*datagram)[0] != 0) delivered_ = (*datagram)[0];
        return datagram;
    }
    void Send(const Bytes& message) {
        socket_.SendTo(endpointPort_, Concat({{next_, delivered_}, message}));
        next_ = next_ == 255 ? 1 : static_cast<uint8_t>(next_ + 1);
    }
    std::vector<Bytes> Drain() { return socket_.Drain(); }
    // A new link: numbering starts again.
    void Restart() {
        next_ = 1;
        delivered_ = 0;
    }

private:
    RawUdp socket_;
    uint16_t endpointPort_ = 0;
    uint8_t next_ = 1;
    uint8_t delivered_ = 0;
};

class RecordingClient : public OnlineAccessClientBase {
public:
    explicit RecordingClient(const KUID& kuid) : OnlineAccessClientBase(kuid) {}
    void Receive(const OnlineAccessMessage& message) override {
        names.emplace_back(message.name.View());
    }
    std::vector<std::string> names;
};

class RecordingListener : public OnlineGroupListener {
public:
    bool AcceptCreated() override { return acceptsCreated; }
    void GroupOpened(const Kiv::PString& group, TStream& rest) override {
        opened.emplace_back(group.View());
        int32_t value = 0;
        rest.ReadInt32(value, 0);
        openedValues.push_back(value);
    }
    void MemberUpdate(TStream&) override {}
    void GroupClosed() override {}
    void ClientRemoved(OnlineAccessClientBase*) override {}
    bool IsThisGroup(const Kiv::PString&) override { return false; }
    void GroupMessage(const OnlineGroupMessage&) override {}

    bool acceptsCreated = true;
    std::vector<std::string> opened;
    std::vector<int32_t> openedValues;
};

inline const Bytes kProfileReply = Concat({Str("main"), Str("a"), Str("b"), Le16(7), Str("c"), Le16(9)});
inline const Bytes kFetchHandle = Le64(0x0000000200000001ull);

// kind 11 or 10 with a KUID, a name, an empty body, and for kind 11 the version and flag.
inline Bytes DirectMessage(uint8_t kind, const KUID& kuid, const std::string& name) {
    Bytes message = Concat({{kind}, KuidBytes(kuid.userId, kuid.contentId, kuid.version),
                            Str(name), SoupBytes(ACSChunkRef())});
    if (kind == 11) message = Concat({message, Le32(1), {0}});
    return message;
}

class OnlineAccessEndpointTest : public KAVRequestsTest {
protected:
    void SetUp() override {
        KAVRequestsTest::SetUp();
        RecordProgramIdentity("KodrinUtil");
        endpoint_ = std::make_unique<OnlineAccessClientEndpoint>(
            OnlineAccessServer{Kiv::String("127.0.0.1"), server_udp_.Port()});
        Answer(231, {});
        Answer(241, {});
    }
    void TearDown() override {
        endpoint_.reset();
        KAVRequestsTest::TearDown();
    }
    // Ticks at the current clock until the endpoint has read a datagram that changes what
    // until() looks at, within two seconds.
    template <class Until> bool TickUntil(Until until) {
        for (int i = 0; i < 2000; ++i) {
            endpoint_->Tick();
            if (until()) return true;
            ::poll(nullptr, 0, 1);
        }
        return false;
    }
    void TickAt(float seconds) {
        clock_.Set(seconds);
        endpoint_->Tick();
    }
    // Connect, hello, challenge, answer and result; the endpoint ends logged in. beforeResult
    // runs while the login result is still to come.
    void LogIn(uint32_t perMessageLimit, const std::function<void()>& beforeResult = [] {}) {
        LogInWithResult(Concat({Le32(perMessageLimit), Float32(120.0f)}), beforeResult);
    }
    // The same with the login result's bytes after its empty error given.
    void LogInWithResult(const Bytes& afterError, const std::function<void()>& beforeResult = [] {}) {
        Answer(240, kProfileReply);
        Answer(242, Str("s3cret"));
        ASSERT_TRUE(endpoint_->Connect(false));
        EXPECT_EQ(endpoint_->GetStatus(), OnlineAccessClientEndpoint::kConnecting);
        TickAt(0.5f);
        EXPECT_EQ(server_udp_.Next(),
                  Concat({{1, 0, 0}, Str("main"), Str("KodrinUtil"), Float32(0), Le32(0), {0}}));
        server_udp_.Send(Concat({{1}, Str(""), Str("challenge")}));
        EXPECT_TRUE(TickUntil([this] { return endpoint_->InFlightCount() == 1; }));
        EXPECT_EQ(server_udp_.Next(), Concat({{2, 1, 2}, Str("s3cret")}));
        beforeResult();
        server_udp_.Send(Concat({{3}, Str(""), afterError}));
        EXPECT_TRUE(TickUntil([this] { return endpoint_->GetStatus() == 7; }));
    }
    // Sends one message and ticks until the endpoint has taken it in order.
    bool Deliver(const Bytes& message) {
        server_udp_.Send(message);
        const uint8_t expected = endpoint_->NextExpected();
        return TickUntil([&] { return endpoint_->NextExpected() != expected; });
    }

    JobClockAt clock_;
    ResolverUser resolver_;
    FakeServer server_udp_;
    std::unique_ptr<OnlineAccessClientEndpoint> endpoint_;
};

}  // namespace onlinetest
