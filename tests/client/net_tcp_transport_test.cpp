// TCPTransport and the exact transfers against a real listener on 127.0.0.1.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>

#include <string>
#include <thread>
#include <vector>

#include "link/net/exact_transfer.h"
#include "link/net/tcp_transport.h"
#include "engine/timing.h"
#include "engine/wevent.h"
#include "net_test_support.h"

namespace {

std::vector<char> Pattern(size_t size, unsigned seed) {
    std::vector<char> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + seed) & 0xFF);
    return bytes;
}

// A port on 127.0.0.1 where nothing listens.
uint16_t ClosedPort() {
    LoopbackListener probe;
    return probe.Port();
}

class TcpTransportTest : public ::testing::Test {
protected:
    ResolverUser user_;
};

TEST_F(TcpTransportTest, ExactTransfersSurvivePartialReadsAndLargeSizes) {
    LoopbackListener listener;
    ASSERT_TRUE(listener.IsOpen());
    const std::vector<char> trickle = Pattern(300, 7);
    const std::vector<char> bulk = Pattern(100000, 11);
    const std::vector<char> upload = Pattern(150000, 13);
    std::vector<char> uploaded(upload.size());
    bool uploadOk = false;
    std::thread peer([&] {
        const int fd = listener.Accept();
        if (fd == -1) return;
        for (size_t at = 0; at < trickle.size(); at += 7) {  // small pieces, apart in time
            SendAll(fd, trickle.data() + at, std::min<size_t>(7, trickle.size() - at));
            Kiv::Time::Delay(1);
        }
        SendAll(fd, bulk.data(), bulk.size());
        uploadOk = ReceiveAll(fd, uploaded.data(), uploaded.size());
        ::close(fd);
    });

    TCPTransport transport("127.0.0.1", listener.Port());
    EXPECT_EQ(transport.GetStatus(), kNetStatusOk);
    EXPECT_NE(transport.GetSocket(), -1);
    std::vector<char> received(trickle.size());
    EXPECT_TRUE(NetReceiveExact(&transport, received.data(), received.size()));
    EXPECT_EQ(received, trickle);
    received.assign(bulk.size(), 0);
    EXPECT_TRUE(NetReceiveExact(&transport, received.data(), received.size()));
    EXPECT_EQ(received, bulk);
    EXPECT_TRUE(NetSendExact(&transport, upload.data(), upload.size()));
    peer.join();
    EXPECT_TRUE(uploadOk);
    EXPECT_EQ(uploaded, upload);
    EXPECT_EQ(transport.GetStatus(), kNetStatusOk);
}

TEST_F(TcpTransportTest, PeerCloseDuringExactReceiveFailsAndTheFirstErrorStays) {
    LoopbackListener listener;
    std::thread peer([&] {
        const int fd = listener.Accept();
        if (fd == -1) return;
        SendAll(fd, "0123456789", 10);
        ::close(fd);
    });
    TCPTransport transport("127.0.0.1", listener.Port());
    peer.join();
    char buffer[20];
    EXPECT_FALSE(NetReceiveExact(&transport, buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    EXPECT_EQ(transport.GetStatus(), kNetStatusFailed);

    EXPECT_FALSE(NetSendExact(&transport, "x", 1));  // refused before any socket call
    EXPECT_FALSE(NetReceiveExact(&transport, buffer, 1));
    EXPECT_TRUE(NetSendExact(&transport, "x", 0));   // nothing to move
    transport.Close();
    EXPECT_EQ(transport.GetStatus(), kNetStatusClosed);
    EXPECT_EQ(transport.GetSocket(), -1);
}

TEST_F(TcpTransportTest, FailedConnectionsCarryStatusTwo) {
    struct Case { std::string host; uint16_t port; };
    const Case cases[] = {
        {"127.0.0.1", ClosedPort()},     // refused
        {"", 80},                        // nothing to resolve
    };
    for (const Case& c : cases) {
        TCPTransport transport(c.host.c_str(), c.port);
        EXPECT_EQ(transport.GetStatus(), kNetStatusNotConnected) << c.host;
        EXPECT_EQ(transport.GetSocket(), -1) << c.host;
        EXPECT_FALSE(NetSendExact(&transport, "x", 1)) << c.host;
        char byte;
        EXPECT_FALSE(NetReceiveExact(&transport, &byte, 1)) << c.host;
        EXPECT_EQ(transport.GetStatus(), kNetStatusNotConnected) << c.host;
    }
    TCPTransport unnamed(nullptr, 80);
    EXPECT_EQ(unnamed.GetStatus(), kNetStatusNotConnected);
    EXPECT_EQ(unnamed.GetHostName(), "");
    EXPECT_FALSE(NetSendExact(nullptr, "x", 1));
}

std::vector<size_t> lookedUpLengths;

bool RecordingLookup(const char* host, in_addr*) {
    lookedUpLengths.push_back(std::string(host).size());
    return false;
}

TEST_F(TcpTransportTest, HostNamesOf512CharactersAreRefusedNotCut) {
    NetResolver::SetLookup(RecordingLookup);
    lookedUpLengths.clear();

    TCPTransport longest(std::string(511, 'a').c_str(), 80);
    EXPECT_EQ(longest.GetHostName().size(), 511u);
    EXPECT_EQ(longest.GetStatus(), kNetStatusNotConnected);
    EXPECT_EQ(lookedUpLengths, std::vector<size_t>{511});  // the whole name was looked up

    for (size_t length : {512u, 513u, 4096u}) {
        TCPTransport refused(std::string(length, 'a').c_str(), 80);
        EXPECT_EQ(refused.GetStatus(), kNetStatusNotConnected) << length;
        EXPECT_EQ(refused.GetSocket(), -1) << length;
        EXPECT_EQ(refused.GetHostName(), "") << length;
    }
    EXPECT_EQ(lookedUpLengths.size(), 1u);  // refused names never reach the lookup
}

// Fills the accept queue of a listener made with backlog 0, so that the next connect to it
// stays pending. Answers false when the system never let a connect hang.
bool FillAcceptQueue(uint16_t port, std::vector<int>& clients) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        clients.push_back(fd);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) continue;
        pollfd ready{fd, POLLOUT, 0};
        if (::poll(&ready, 1, 300) == 0) return true;
    }
    return false;
}

TEST_F(TcpTransportTest, ConnectGivesUpAfterTheConnectTimeOut) {
    LoopbackListener listener(0);
    std::vector<int> clients;
    const bool pending = FillAcceptQueue(listener.Port(), clients);
    if (pending) {
        NetTimeouts::SetConnectMs(100);
        const int64_t start = Kiv::Time::Ms();
        TCPTransport transport("127.0.0.1", listener.Port());
        EXPECT_EQ(transport.GetStatus(), kNetStatusNotConnected);
        EXPECT_EQ(transport.GetSocket(), -1);
        // The connect was pending, not refused, and the shortened time-out ended the wait.
        const int64_t waited = Kiv::Time::Ms() - start;
        EXPECT_GE(waited, 100);
        EXPECT_LT(waited, NetTimeouts::kDefaultConnectMs / 2);
    }
    for (int fd : clients) ::close(fd);
    if (!pending) GTEST_SKIP() << "the system accepted every connect";
}

TEST_F(TcpTransportTest, SingleCallOperationsAndBytesAvailable) {
    LoopbackListener listener;
    int peerFd = -1;
    std::thread accepter([&] { peerFd = listener.Accept(); });
    TCPTransport transport("127.0.0.1", listener.Port());
    accepter.join();
    ASSERT_NE(peerFd, -1);

    EXPECT_FALSE(transport.BytesAvailable());
    ASSERT_TRUE(SendAll(peerFd, "hello", 5));
    pollfd ready{transport.GetSocket(), POLLIN, 0};
    ASSERT_EQ(::poll(&ready, 1, 5000), 1);
    EXPECT_TRUE(transport.BytesAvailable());

    char buffer[8] = {};
    EXPECT_EQ(transport.Peek(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(transport.Read(buffer, 8), 5);  // peeked bytes are still there
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_FALSE(transport.BytesAvailable());

    EXPECT_EQ(transport.Write("abc", 3), 3);
    char echoed[3];
    ASSERT_TRUE(ReceiveAll(peerFd, echoed, 3));
    EXPECT_EQ(std::string(echoed, 3), "abc");
    EXPECT_EQ(transport.Read(buffer, -1), -1);

    ::close(peerFd);
    EXPECT_EQ(transport.Read(buffer, 8), 0);  // end of stream is not an error for Read
    EXPECT_EQ(transport.GetStatus(), kNetStatusOk);

    transport.Close();
    EXPECT_EQ(transport.GetStatus(), kNetStatusClosed);
    EXPECT_LT(transport.Read(buffer, 8), 0);  // a failed read leaves status 5 alone
    EXPECT_LT(transport.Write("x", 1), 0);
    EXPECT_FALSE(transport.BytesAvailable());
    EXPECT_EQ(transport.GetStatus(), kNetStatusClosed);
}

// A frame that arrived whole is taken in by one receive call: what lies beyond the exact
// receive's own bytes waits in the transport, and the next exact receives, Peek, Read and
// BytesAvailable find it, in order, after the peer has gone.
TEST_F(TcpTransportTest, BytesReceivedAheadAreServedInOrder) {
    LoopbackListener listener;
    int peerFd = -1;
    std::thread accepter([&] { peerFd = listener.Accept(); });
    TCPTransport transport("127.0.0.1", listener.Port());
    accepter.join();
    ASSERT_NE(peerFd, -1);
    const std::string frame = "tag!id..body-of-frame";
    ASSERT_TRUE(SendAll(peerFd, frame.data(), frame.size()));
    ::close(peerFd);
    const auto arrived = [&] {
        int waiting = 0;
        return ::ioctl(transport.GetSocket(), FIONREAD, &waiting) == 0 &&
               waiting == static_cast<int>(frame.size());
    };
    for (int i = 0; i < 500 && !arrived(); ++i) Kiv::Time::Delay(10);
    ASSERT_TRUE(arrived());

    char buffer[16] = {};
    ASSERT_TRUE(NetReceiveExact(&transport, buffer, 4));
    EXPECT_EQ(std::string(buffer, 4), "tag!");
    int waiting = -1;
    ASSERT_EQ(::ioctl(transport.GetSocket(), FIONREAD, &waiting), 0);
    EXPECT_EQ(waiting, 0);
    EXPECT_TRUE(transport.BytesAvailable());
    EXPECT_EQ(transport.Peek(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "id..");
    ASSERT_TRUE(NetReceiveExact(&transport, buffer, 4));
    EXPECT_EQ(std::string(buffer, 4), "id..");
    EXPECT_EQ(transport.Read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "body-");
    ASSERT_TRUE(NetReceiveExact(&transport, buffer, 8));
    EXPECT_EQ(std::string(buffer, 8), "of-frame");
    EXPECT_FALSE(transport.BytesAvailable());
    EXPECT_FALSE(NetReceiveExact(&transport, buffer, 1));  // the peer closed
    EXPECT_EQ(transport.GetStatus(), kNetStatusFailed);
}

TEST_F(TcpTransportTest, CloseWakesAThreadBlockedInAnExactReceive) {
    LoopbackListener listener;
    int peerFd = -1;
    std::thread accepter([&] { peerFd = listener.Accept(); });
    TCPTransport transport("127.0.0.1", listener.Port());
    accepter.join();

    Kiv::WEvent done(true, false);
    bool received = true;
    std::thread reader([&] {
        char buffer[4];
        received = NetReceiveExact(&transport, buffer, sizeof buffer);
        done.Set();
    });
    Kiv::Time::Delay(50);  // let the reader block in its receive
    transport.Close();
    const bool woke = done.Wait(5000);
    EXPECT_TRUE(woke);
    if (woke) {
        reader.join();
    } else {
        ::close(peerFd);  // frees the reader so that the test can end
        reader.join();
    }
    EXPECT_FALSE(received);
    EXPECT_EQ(transport.GetStatus(), kNetStatusClosed);  // not turned into status 7
    char byte;
    EXPECT_EQ(::recv(peerFd, &byte, 1, 0), 0);  // the peer sees the link end at once
    ::close(peerFd);
}

TEST_F(TcpTransportTest, CloneMakesASecondIndependentConnection) {
    LoopbackListener first;
    LoopbackListener second;
    int firstPeer = -1;
    int secondPeer = -1;
    std::thread accepter([&] { firstPeer = first.Accept(); });
    TCPTransport transport("127.0.0.1", first.Port());
    accepter.join();
    accepter = std::thread([&] { secondPeer = second.Accept(); });
    std::unique_ptr<NetTransport> clone = transport.Clone(second.Port());
    accepter.join();

    ASSERT_NE(clone, nullptr);
    auto* tcpClone = dynamic_cast<TCPTransport*>(clone.get());
    ASSERT_NE(tcpClone, nullptr);
    EXPECT_EQ(tcpClone->GetHostName(), "127.0.0.1");
    EXPECT_EQ(tcpClone->GetPort(), second.Port());
    EXPECT_EQ(clone->GetStatus(), kNetStatusOk);
    EXPECT_NE(clone->GetSocket(), transport.GetSocket());

    transport.Close();
    EXPECT_TRUE(NetSendExact(clone.get(), "ok", 2));
    char buffer[2];
    ASSERT_TRUE(ReceiveAll(secondPeer, buffer, 2));
    EXPECT_EQ(std::string(buffer, 2), "ok");
    EXPECT_EQ(transport.Clone(ClosedPort())->GetStatus(), kNetStatusNotConnected);
    ::close(firstPeer);
    ::close(secondPeer);
}

}  // namespace
