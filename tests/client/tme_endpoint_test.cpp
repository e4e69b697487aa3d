// The TME protocol over loopback UDP against a peer whose datagrams are written byte by
// byte: sequence wrap and cumulative acknowledgement, ordering of early packets, the limits
// on early, oversized and waiting packets, duplicates, retransmission, keep-alive and the
// idle close, all on the job clock the test sets. Two endpoints then carry 300 messages.
#include "link/net/tme_endpoint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "udp_test_support.h"

namespace {

class RecordingEndpoint : public TMEEndpoint {
public:
    void Deliver(TMEPacket& packet) override { delivered.push_back(packet.ReadAll()); }
    void OnLinkClosed() override { ++closed; }

    std::vector<Bytes> delivered;
    int closed = 0;
};

class TMEEndpointTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(socket_.Open());
        socket_.AttachPeer(Kiv::String("127.0.0.1"), raw_.Port(), &peer_);
        endpoint_.Attach(&peer_);
    }
    // A datagram from the raw peer, read by the endpoint's socket.
    void FromPeer(const Bytes& datagram) {
        raw_.SendTo(socket_.LocalPort(), datagram);
        ASSERT_TRUE(ReceiveOne());
    }
    bool ReceiveOne() {
        for (int i = 0; i < 2000; ++i) {
            if (socket_.Receive()) return true;
            pollfd ready{socket_.Handle(), POLLIN, 0};
            ::poll(&ready, 1, 1);
        }
        return false;
    }
    void QueueText(const std::string& text) {
        auto* packet = new TMEPacket;
        packet->Assign(text.size(), text.data());
        ASSERT_TRUE(endpoint_.Queue(packet));
    }
    void TickAt(float seconds) {
        clock_.Set(seconds);
        endpoint_.Tick();
    }

    JobClockAt clock_;
    ResolverUser resolver_;
    RawUdp raw_;
    UdpSocket socket_;
    UdpPeer peer_;
    RecordingEndpoint endpoint_;
};

TEST_F(TMEEndpointTest, SequencesWrapPast255To1AndAnAckFreesEverythingUpToIt) {
    // Sequences 1 to 253 go out in batches and are acknowledged.
    int sent = 0;
    while (sent < 253) {
        const int batch = std::min(60, 253 - sent);
        for (int i = 0; i < batch; ++i) QueueText("m");
        TickAt(0);
        const std::vector<Bytes> datagrams = raw_.Drain();
        ASSERT_EQ(datagrams.size(), static_cast<size_t>(batch));
        sent += batch;
        EXPECT_EQ(datagrams.back()[0], sent);
        FromPeer({0, static_cast<uint8_t>(sent)});
    }
    EXPECT_EQ(endpoint_.InFlightCount(), 0);
    for (int i = 0; i < 6; ++i) QueueText("w");
    TickAt(0);
    std::vector<uint8_t> sequences;
    for (const Bytes& datagram : raw_.Drain()) sequences.push_back(datagram[0]);
    EXPECT_EQ(sequences, (std::vector<uint8_t>{254, 255, 1, 2, 3, 4}));
    FromPeer({0, 3});
    EXPECT_EQ(endpoint_.InFlightCount(), 1);
    // The one left is 4: it is the one sent again.
    TickAt(10.5f);
    const auto again = raw_.Next();
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ((*again)[0], 4);
}

TEST_F(TMEEndpointTest, EarlyPacketsWaitAndAreDeliveredInOrderInOneReceive) {
    FromPeer({1, 0, 'a'});
    FromPeer({2, 0, 'b'});
    FromPeer({5, 0, 'e'});
    EXPECT_EQ(endpoint_.delivered.size(), 2u);
    FromPeer({3, 0, 'c'});
    EXPECT_EQ(endpoint_.delivered.size(), 3u);
    FromPeer({4, 0, 'd'});
    std::string order;
    for (const Bytes& payload : endpoint_.delivered) order += static_cast<char>(payload[0]);
    EXPECT_EQ(order, "abcde");
    EXPECT_EQ(endpoint_.OutOfOrderCount(), 0);
    EXPECT_EQ(endpoint_.NextExpected(), 6);
}

TEST_F(TMEEndpointTest, TheHundredAndFirstEarlyPacketIsDropped) {
    for (int sequence = 2; sequence <= 102; ++sequence)
        FromPeer({static_cast<uint8_t>(sequence), 0, 'x'});
    EXPECT_EQ(endpoint_.OutOfOrderCount(), 100);
    FromPeer({1, 0, 'x'});
    EXPECT_EQ(endpoint_.delivered.size(), 101u);
    EXPECT_EQ(endpoint_.NextExpected(), 102);
}

TEST_F(TMEEndpointTest, ShortOversizedAndControlDatagrams) {
    FromPeer({7});
    FromPeer(Concat({{1, 0}, Bytes(0x8001, 'o')}));
    EXPECT_TRUE(endpoint_.delivered.empty());
    FromPeer(Concat({{1, 0}, Bytes(0x8000, 'o')}));
    EXPECT_EQ(endpoint_.delivered.size(), 1u);
    EXPECT_EQ(endpoint_.closed, 0);
    raw_.Drain();
    // One payload byte on sequence 0: the peer leaves; we tell it so too.
    FromPeer({0, 0, 0});
    EXPECT_EQ(endpoint_.closed, 1);
    EXPECT_EQ(endpoint_.Peer(), nullptr);
    EXPECT_EQ(raw_.Next(0), (Bytes{0, 1, 0}));
}

TEST_F(TMEEndpointTest, ADuplicateMakesTheAcknowledgementGoOutAgain) {
    FromPeer({1, 0, 'a'});
    TickAt(1.5f);
    EXPECT_EQ(raw_.Next(0), (Bytes{0, 1}));
    TickAt(3.0f);
    EXPECT_FALSE(raw_.Next(0).has_value()) << "nothing new to acknowledge";
    FromPeer({1, 0, 'a'});
    EXPECT_EQ(endpoint_.delivered.size(), 1u);
    TickAt(3.0f);
    EXPECT_EQ(raw_.Next(0), (Bytes{0, 1}));
}

TEST_F(TMEEndpointTest, AnUnacknowledgedPacketIsSentFiveTimesThenTheLinkCloses) {
    QueueText("p");
    TickAt(0);
    const float retries[] = {10.5f, 21.0f, 31.5f, 42.0f};
    for (float at : retries) {
        TickAt(at - 1.0f);
        TickAt(at);
    }
    std::vector<Bytes> datagrams = raw_.Drain();
    ASSERT_EQ(datagrams.size(), 5u);
    for (const Bytes& datagram : datagrams) EXPECT_EQ(datagram, (Bytes{1, 0, 'p'}));
    EXPECT_EQ(endpoint_.closed, 0);
    TickAt(52.5f);
    EXPECT_EQ(raw_.Drain(), (std::vector<Bytes>{{0, 0, 0}}));
    EXPECT_EQ(endpoint_.closed, 1);
    EXPECT_EQ(endpoint_.Peer(), nullptr);
}

TEST_F(TMEEndpointTest, KeepAliveEvery120SecondsAndCloseAfter600Silent) {
    const float keepAlives[] = {120.5f, 241.0f, 361.5f, 482.0f};
    for (float at : keepAlives) {
        TickAt(at - 1.0f);
        EXPECT_FALSE(raw_.Next(0).has_value());
        TickAt(at);
        EXPECT_EQ(raw_.Next(0), (Bytes{0, 0})) << at;
    }
    TickAt(599.5f);
    EXPECT_EQ(endpoint_.closed, 0);
    TickAt(600.5f);
    EXPECT_EQ(raw_.Next(0), (Bytes{0, 0, 0}));
    EXPECT_EQ(endpoint_.closed, 1);
}

TEST_F(TMEEndpointTest, QueueRefusesWithoutAPeerAndBeyondAThousandWaiting) {
    for (int i = 0; i < 1001; ++i) QueueText("q");
    auto* refused = new TMEPacket;
    EXPECT_FALSE(endpoint_.Queue(refused));
    endpoint_.Disconnect();
    EXPECT_EQ(endpoint_.WaitingCount(), 1001) << "a disconnect keeps what waits";
    EXPECT_FALSE(endpoint_.Queue(refused));
    delete refused;
}

TEST(TMEEndpointPair, ThreeHundredMessagesArriveInOrderAcrossTheWrap) {
    JobClockAt clock;
    ResolverUser resolver;
    UdpSocket socketA, socketB;
    ASSERT_TRUE(socketA.Open());
    ASSERT_TRUE(socketB.Open());
    UdpPeer peerOfA, peerOfB;
    socketA.AttachPeer(Kiv::String("127.0.0.1"), socketB.LocalPort(), &peerOfA);
    socketB.AttachPeer(Kiv::String("127.0.0.1"), socketA.LocalPort(), &peerOfB);
    RecordingEndpoint a, b;
    a.Attach(&peerOfA);
    b.Attach(&peerOfB);
    for (int i = 0; i < 300; ++i) {
        auto* packet = new TMEPacket;
        packet->WriteInt32(i);
        ASSERT_TRUE(a.Queue(packet));
    }
    float now = 0;
    for (int round = 0; round < 2000 && (b.delivered.size() < 300 || a.InFlightCount() > 0);
         ++round) {
        now += 0.6f;
        clock.Set(now);
        a.Tick();
        b.Tick();
        while (socketB.Receive()) {}
        while (socketA.Receive()) {}
    }
    ASSERT_EQ(b.delivered.size(), 300u);
    for (int i = 0; i < 300; ++i) EXPECT_EQ(b.delivered[i], Le32(static_cast<uint32_t>(i)));
    EXPECT_EQ(a.InFlightCount(), 0);
    EXPECT_EQ(a.closed + b.closed, 0);
}

} // namespace
