// Transactions per second over the daemon link, each peer measured in the same run over
// loopback with the same frame sizes (12-byte header and a payload of 16, 256 or 4096
// bytes, answered with as many):
//   bare     a TCP ping-pong: one blocking send and one blocking receive each way;
//   raw      the frames written and read by hand against the stand-in daemon (in-process,
//            library mode): the daemon's share;
//   echo     KAVClient::Transact against a one-thread peer that echoes each frame: the
//            client's share (its reader thread and the hand-over to the requester);
//   transact KAVClient::Transact against the stand-in daemon.
// The summary gives each rate as a multiple of the bare one; the link's target is 0.5.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/run_summary.h"
#include "link/kav/kav_client.h"
#include "link/kav/kav_link_format.h"
#include "link/net/net_resolver.h"
#include "daemon/daemon_server.h"
#include "foundation/streams/buffer_stream.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int32_t kEchoRequest = 21;
const std::vector<int64_t> kPayloadSizes = {16, 256, 4096};

bool SendAll(int fd, const uint8_t* bytes, size_t n) {
    while (n > 0) {
        const ssize_t sent = ::send(fd, bytes, n, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes += sent;
        n -= static_cast<size_t>(sent);
    }
    return true;
}

bool ReceiveAll(int fd, uint8_t* bytes, size_t n) {
    while (n > 0) {
        const ssize_t got = ::recv(fd, bytes, n, 0);
        if (got <= 0) return false;
        bytes += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

void NoDelay(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// A listening socket on 127.0.0.1 at a port the system picks.
int Listen(uint16_t& port) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener, 4) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener);
        return -1;
    }
    port = ntohs(address.sin_port);
    return listener;
}

int ConnectTo(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    NoDelay(fd);
    return fd;
}

Bytes RequestFrame(size_t payload) {
    Bytes frame;
    KAVLink::AppendInt32(frame, kEchoRequest);
    KAVLink::AppendInt32(frame, 5);
    KAVLink::AppendInt32(frame, static_cast<int32_t>(payload));
    frame.resize(frame.size() + payload, 0x5A);
    return frame;
}

// The stand-in daemon, answering the echo request with its payload; kept for the run.
DaemonServer* StandInDaemon() {
    static DaemonServer* server = [] {
        DaemonOptions options;
        options.idleTime = std::chrono::milliseconds(0);
        auto* made = new DaemonServer(options);
        made->SetHook(kEchoRequest, [](const DaemonRequest& request, DaemonResponse& response) {
            response.reply = request.payload;
        });
        if (made->Start() != DaemonStart::kStarted) return static_cast<DaemonServer*>(nullptr);
        return made;
    }();
    return server;
}

// A one-thread peer speaking the link format: it greets each client and answers every
// request frame with a 'repl' carrying the payload back. Kept for the run.
class EchoPeer {
public:
    static EchoPeer* Get() {
        static auto* peer = new EchoPeer;
        return peer->listener_ == -1 ? nullptr : peer;
    }
    uint16_t Port() const { return port_; }

private:
    EchoPeer() {
        listener_ = Listen(port_);
        if (listener_ != -1) std::thread([this] { Serve(); }).detach();
    }
    void Serve() {
        for (;;) {
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd == -1) return;
            NoDelay(fd);
            if (Greet(fd)) Echo(fd);
            ::close(fd);
        }
    }
    static bool Greet(int fd) {
        Bytes head(20);
        if (!ReceiveAll(fd, head.data(), head.size())) return false;
        Bytes path(static_cast<size_t>(KAVLink::LoadInt32(head.data() + 16)));
        if (!ReceiveAll(fd, path.data(), path.size())) return false;
        Bytes hello;
        KAVLink::AppendInt32(hello, KAVLink::kDaemonTag);
        KAVLink::AppendInt32(hello, 0);
        KAVLink::AppendInt32(hello, 0);
        return SendAll(fd, hello.data(), hello.size());
    }
    static void Echo(int fd) {
        Bytes frame(KAVLink::kRequestHeaderSize);
        while (ReceiveAll(fd, frame.data(), frame.size())) {
            const int32_t length = KAVLink::LoadInt32(frame.data() + 8);
            if (!KAVLink::IsSaneLength(length)) return;
            Bytes reply;
            KAVLink::AppendInt32(reply, KAVLink::kReplyTag);
            KAVLink::AppendInt32(reply, KAVLink::LoadInt32(frame.data() + 4));
            KAVLink::AppendInt32(reply, length);
            reply.resize(reply.size() + static_cast<size_t>(length));
            if (!ReceiveAll(fd, reply.data() + 12, static_cast<size_t>(length)) ||
                !SendAll(fd, reply.data(), reply.size())) {
                return;
            }
        }
    }

    int listener_ = -1;
    uint16_t port_ = 0;
};

// Points the client at the peer on port, starting it anew when it was linked elsewhere.
bool LinkClientTo(uint16_t port) {
    static uint16_t linked = 0;
    if (linked == port && KAVClient::IsStarted()) return true;
    // The client's transport resolves "127.0.0.1" only while the network layer has a user.
    [[maybe_unused]] static const bool resolverUser = [] {
        NetResolver::AddUser();
        return true;
    }();
    KAVClient::Shutdown();
    KAVClientEnvironment environment = KAVClientEnvironment::Defaults();
    environment.databasePath = [] { return Kiv::File::Path("/bench/userdata/assets.tdx"); };
    environment.lookUpPort = [port](const Kiv::File::Path&) { return port; };
    environment.launchDaemon = [] {};
    KAVClient::SetEnvironment(environment);
    KAVClientStartOptions options;
    options.relaunch = false;
    linked = KAVClient::Start(options) ? port : 0;
    return linked == port;
}

void RunTransactions(benchmark::State& state, uint16_t port) {
    if (port == 0 || !LinkClientTo(port)) {
        state.SkipWithError("the peer is not reachable");
        return;
    }
    const Bytes payload(static_cast<size_t>(state.range(0)), 0x5A);
    BufferStream request;
    BufferStream reply;
    for (auto _ : state) {
        request.Stream().Reopen();
        request.Stream().WriteBytes(payload.data(), payload.size());
        request.Stream().Rewind();
        reply.Stream().Reopen();
        if (!KAVClient::Transact(kEchoRequest, request.Stream(), reply.Stream())) {
            state.SkipWithError("a transaction failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void Transact(benchmark::State& state) {
    DaemonServer* daemon = StandInDaemon();
    RunTransactions(state, daemon ? static_cast<uint16_t>(daemon->Port()) : 0);
}

void TransactEcho(benchmark::State& state) {
    EchoPeer* peer = EchoPeer::Get();
    RunTransactions(state, peer ? peer->Port() : 0);
}

void RawFrames(benchmark::State& state) {
    DaemonServer* daemon = StandInDaemon();
    const int fd = daemon ? ConnectTo(static_cast<uint16_t>(daemon->Port())) : -1;
    Bytes hello;
    KAVLink::AppendInt32(hello, KAVLink::kClientTag);
    KAVLink::AppendInt32(hello, KAVLink::kVersion);
    KAVLink::AppendInt32(hello, KAVLink::kBuild);
    KAVLink::AppendInt32(hello, 1);
    KAVLink::AppendInt32(hello, 0);
    Bytes answer(12);
    if (fd == -1 || !SendAll(fd, hello.data(), hello.size()) ||
        !ReceiveAll(fd, answer.data(), answer.size())) {
        state.SkipWithError("no greeting from the stand-in daemon");
        if (fd != -1) ::close(fd);
        return;
    }
    const size_t size = static_cast<size_t>(state.range(0));
    const Bytes frame = RequestFrame(size);
    Bytes reply(KAVLink::kRequestHeaderSize + size);
    for (auto _ : state) {
        if (!SendAll(fd, frame.data(), frame.size()) ||
            !ReceiveAll(fd, reply.data(), reply.size())) {
            state.SkipWithError("a round trip failed");
            break;
        }
    }
    ::close(fd);
    state.SetItemsProcessed(state.iterations());
}

void BarePingPong(benchmark::State& state) {
    const size_t frame = KAVLink::kRequestHeaderSize + static_cast<size_t>(state.range(0));
    uint16_t port = 0;
    const int listener = Listen(port);
    const int client = listener == -1 ? -1 : ConnectTo(port);
    const int server = client == -1 ? -1 : ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (listener != -1) ::close(listener);
    if (server == -1) {
        state.SkipWithError("no loopback connection");
        if (client != -1) ::close(client);
        return;
    }
    NoDelay(server);
    std::thread echo([server, frame] {
        Bytes bytes(frame);
        while (ReceiveAll(server, bytes.data(), frame) && SendAll(server, bytes.data(), frame)) {
        }
        ::close(server);
    });
    Bytes bytes(frame, 0x5A);
    for (auto _ : state) {
        if (!SendAll(client, bytes.data(), frame) || !ReceiveAll(client, bytes.data(), frame)) {
            state.SkipWithError("a round trip failed");
            break;
        }
    }
    ::shutdown(client, SHUT_RDWR);
    echo.join();
    ::close(client);
    state.SetItemsProcessed(state.iterations());
}

std::string Name(const char* kind, int64_t size) {
    return std::string(kind) + "/" + std::to_string(size);
}

// Registered as "<kind>/<payload size>/real_time": the work spans threads, so the wall
// clock is the measure.
void RegisterAll() {
    for (const int64_t size : kPayloadSizes) {
        benchmark::RegisterBenchmark("bare", BarePingPong)->Arg(size)->UseRealTime();
        benchmark::RegisterBenchmark("raw", RawFrames)->Arg(size)->UseRealTime();
        benchmark::RegisterBenchmark("echo", TransactEcho)->Arg(size)->UseRealTime();
        benchmark::RegisterBenchmark("transact", Transact)->Arg(size)->UseRealTime();
    }
}

void PrintSummary(const RunSummary& reporter) {
    std::printf("\nTransactions per second as a multiple of a bare TCP ping-pong (same run)\n");
    std::printf("%-8s %9s %9s %9s %9s\n", "payload", "bare /s", "raw", "echo", "transact");
    for (const int64_t size : kPayloadSizes) {
        const double bare = reporter.Counter(Name("bare", size), "items_per_second");
        const auto multiple = [&](const char* kind) {
            return bare > 0 ? reporter.Counter(Name(kind, size), "items_per_second") / bare : 0;
        };
        const double link = multiple("transact");
        std::printf("%-8lld %9.0f %8.2fx %8.2fx %8.2fx (target 0.50x) %s\n",
                    static_cast<long long>(size), bare, multiple("raw"), multiple("echo"), link,
                    link >= 0.5 ? "met" : "MISSED");
    }
    for (const int64_t size : kPayloadSizes) {
        const double bare = reporter.Counter(Name("bare", size), "items_per_second");
        const double link = reporter.Counter(Name("transact", size), "items_per_second");
        RunSummary::Target("daemon transaction, " + std::to_string(size) + " bytes", "bare TCP ping-pong",
                           bare > 0 ? link / bare : 0, 0.5);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    RunSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    reporter.Close();
    KAVClient::Shutdown();
    benchmark::Shutdown();
    return 0;
}
