// The daemon link seen from the client: an in-process peer on loopback answers the
// client's greeting with the input's first 12 bytes, reads one request and sends the rest
// of the input as the daemon's frames and notes (each "lper" frame whose transaction id is
// "TTTT" gets the request's id), then ends its side. The client must fail the link
// cleanly: never hang, crash or read past what it was sent.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "link/kav/kav_client.h"
#include "link/kav/kav_client_environment.h"
#include "link/kav/kav_client_start_options.h"
#include "link/kav/kav_daemon_launch.h"
#include "link/net/net_resolver.h"
#include "foundation/streams/buffer_stream.h"
#include "fuzz_support.h"

namespace {

constexpr int kPollMs = 2000;
constexpr size_t kHandshakeBytes = 12;

class Listener {
  public:
    Listener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        fuzz::Require(::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                          ::listen(fd_, 16) == 0 &&
                          ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0,
                      "loopback listener");
        port_ = ntohs(address.sin_port);
    }
    uint16_t Port() const { return port_; }
    // The next connection, or -1 when none came within a short while.
    int Accept(int ms) const {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, ms) != 1) return -1;
        return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    }

  private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

bool ReadExact(int fd, uint8_t* out, size_t n) {
    for (size_t done = 0; done < n;) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, kPollMs) != 1) return false;
        const ssize_t got = ::recv(fd, out + done, n - done, 0);
        if (got <= 0) return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

uint32_t Load32(const uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool SkipBytes(int fd, uint32_t n) {
    uint8_t chunk[4096];
    while (n > 0) {
        const uint32_t part = std::min<uint32_t>(n, sizeof chunk);
        if (!ReadExact(fd, chunk, part)) return false;
        n -= part;
    }
    return true;
}

// Until the client closes its side (or goes quiet).
void Drain(int fd) {
    uint8_t chunk[4096];
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, kPollMs) != 1 || ::recv(fd, chunk, sizeof chunk, 0) <= 0) return;
    }
}

void Serve(int fd, const fuzz::Bytes& handshake, fuzz::Bytes frames) {
    uint8_t head[20];
    if (!ReadExact(fd, head, sizeof head) || !SkipBytes(fd, std::min(Load32(head + 16), 4096u)))
        return;
    ::send(fd, handshake.data(), handshake.size(), MSG_NOSIGNAL);
    uint8_t request[12];
    if (!ReadExact(fd, request, sizeof request) || !SkipBytes(fd, Load32(request + 8))) return;
    for (size_t at = 0; at + 8 <= frames.size(); ++at) {
        if (std::memcmp(&frames[at], "lperTTTT", 8) == 0)
            std::memcpy(&frames[at + 4], request + 4, 4);
    }
    ::send(fd, frames.data(), frames.size(), MSG_NOSIGNAL);
    ::shutdown(fd, SHUT_WR);
    Drain(fd);
}

const Listener& TheListener() {
    static const Listener* listener = [] {
        auto* made = new Listener;
        NetResolver::AddUser();
        KAVClientEnvironment environment;
        environment.databasePath = [] { return Kiv::File::Path("/kav/userdata/assets.tdx"); };
        const uint16_t port = made->Port();
        environment.lookUpPort = [port](const Kiv::File::Path&) { return int32_t{port}; };
        environment.launchDaemon = [] {};
        environment.sleep = [](int64_t) {};
        environment.closePollMs = 1;
        KAVClient::SetEnvironment(environment);
        return made;
    }();
    return *listener;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHandshakeBytes) return 0;
    const Listener& listener = TheListener();
    const fuzz::Bytes handshake(data, data + kHandshakeBytes);
    const fuzz::Bytes frames(data + kHandshakeBytes, data + size);
    std::atomic<bool> done{false};
    std::thread peer([&] {
        while (!done.load()) {
            const int fd = listener.Accept(20);
            if (fd == -1) continue;
            Serve(fd, handshake, frames);
            ::close(fd);
        }
    });
    KAVClientStartOptions options;
    options.flag3 = false;
    options.relaunch = false;
    if (KAVClient::Start(options)) {
        BufferStream request, reply;
        request.Stream().WriteInt32(7);
        request.Stream().Rewind();
        KAVClient::Transact(21, request.Stream(), reply.Stream());
        for (int i = 0; i < 3; ++i) KAVClient::PumpMainThread();
    }
    KAVClient::Shutdown();
    KAVStartSchedule::Reset();
    done.store(true);
    peer.join();
    return 0;
}
