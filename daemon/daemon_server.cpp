// Threads: the listener (accepts, until woken through a pipe), the supervisor (reaps ended
// clients, keeps the idle time, ends the server) and two per client. Connections are
// destroyed, which joins their threads, only outside the server's lock, because a client
// thread takes that lock when it ends.
#include "daemon/daemon_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "daemon/link_format.h"
#include "foundation/build_identity.h"

namespace {

// How long the links get to send what is queued when the server ends.
constexpr std::chrono::seconds kFlushTime(2);
// The pause after a failed accept (out of descriptors or memory).
constexpr int kAcceptRetryMs = 50;

const char* ExitName(DaemonExit exit) {
    switch (exit) {
    case DaemonExit::kCloseRequest: return "close-request";
    case DaemonExit::kIdle: return "idle";
    case DaemonExit::kStopped: return "stopped";
    }
    return "stopped";
}

}  // namespace

DaemonServer::DaemonServer(DaemonOptions options) : options_(std::move(options)) {
    CommandHostRequests& hosts = dispatcher_.Hosts();
    hosts.SetNoteSender(
        [this](int client, const DaemonNote& note) { return SendNote(client, note) > 0; });
    hosts.SetHostsChanged([this] {
        std::lock_guard<std::mutex> hold(lock_);
        changed_.notify_all();
    });
}

DaemonServer::~DaemonServer() {
    Stop();
    CloseListener();
    if (wakePipe_[0] >= 0) close(wakePipe_[0]);
    if (wakePipe_[1] >= 0) close(wakePipe_[1]);
}

void DaemonServer::SetHook(int32_t id, DaemonHook hook) {
    dispatcher_.SetHook(id, std::move(hook));
}

void DaemonServer::SetHandshakeFaults(int count) { handshakeFaults_.store(count); }

DaemonStart DaemonServer::Start() {
    if (started_ || !record_.Open(options_.recordPath) || !Listen() ||
        pipe2(wakePipe_, O_CLOEXEC) != 0) {
        return DaemonStart::kFailed;
    }
    const DaemonStart published = Publish();
    if (published != DaemonStart::kStarted) {
        CloseListener();
        return published;
    }
    record_.Line("listen port=" + std::to_string(port_));
    dispatcher_.Recover();
    {
        std::lock_guard<std::mutex> hold(lock_);
        idleSince_ = std::chrono::steady_clock::now();
        started_ = true;
    }
    listenThread_ = std::thread(&DaemonServer::ListenLoop, this);
    superviseThread_ = std::thread(&DaemonServer::SuperviseLoop, this);
    return DaemonStart::kStarted;
}

std::vector<int> DaemonServer::Clients() const {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<int> clients;
    for (const auto& connection : connections_) {
        if (connection->IsReady()) clients.push_back(connection->Number());
    }
    return clients;
}

int DaemonServer::SendNote(int client, const DaemonNote& note) {
    std::lock_guard<std::mutex> hold(lock_);
    int reached = 0;
    for (const auto& connection : connections_) {
        if (client != 0 && connection->Number() != client) continue;
        if (connection->IsReady() && connection->SendNote(note)) ++reached;
    }
    return reached;
}

DaemonExit DaemonServer::WaitForExit() {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return ended_ || !started_; });
    return exit_;
}

void DaemonServer::Stop() {
    dispatcher_.StopInstalls();
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!started_) return;
        stopRequested_ = true;
    }
    changed_.notify_all();
    if (superviseThread_.joinable()) superviseThread_.join();
}

bool DaemonServer::HandshakeReply(int32_t& word0, int32_t& word1) {
    int faults = handshakeFaults_.load();
    while (faults != 0) {
        if (faults < 0 || handshakeFaults_.compare_exchange_weak(faults, faults - 1)) return false;
    }
    word0 = BuildIdentity::kVersion;
    word1 = BuildIdentity::kBuildNumber;
    return true;
}

void DaemonServer::OnEndRequested() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        endRequested_ = true;
    }
    changed_.notify_all();
}

void DaemonServer::OnConnectionFinished() {
    // Under the lock, so the wake-up cannot fall between the supervisor's look at the
    // connections and its wait.
    std::lock_guard<std::mutex> hold(lock_);
    changed_.notify_all();
}

DaemonStart DaemonServer::Publish() {
    if (options_.databasePath.empty()) return DaemonStart::kStarted;
    switch (discovery_.Publish(options_.databasePath, port_)) {
    case DaemonDiscovery::Result::kPublished: return DaemonStart::kStarted;
    case DaemonDiscovery::Result::kOtherDaemon: return DaemonStart::kOtherDaemon;
    case DaemonDiscovery::Result::kFailed: break;
    }
    return DaemonStart::kFailed;
}

bool DaemonServer::Listen() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, SOMAXCONN) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        CloseListener();
        return false;
    }
    port_ = ntohs(address.sin_port);
    return true;
}

void DaemonServer::ListenLoop() {
    for (;;) {
        pollfd waits[2] = {{listener_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (poll(waits, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (waits[1].revents != 0) return;
        const int socket = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket >= 0) {
            Admit(socket);
        } else if (errno != EINTR && errno != EAGAIN && errno != ECONNABORTED) {
            poll(&waits[1], 1, kAcceptRetryMs);
        }
    }
}

void DaemonServer::Admit(int socket) {
    const int noDelay = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    std::lock_guard<std::mutex> hold(lock_);
    if (connections_.size() >= DaemonLink::kMaxClients || stopRequested_ || endRequested_) {
        record_.Line("refuse reason=too-many-clients");
        close(socket);
        return;
    }
    const int number = nextClient_++;
    record_.Line("connect " + std::to_string(number));
    DaemonConnectionHost& host = *this;
    connections_.push_back(std::make_unique<DaemonConnection>(socket, number, host));
    connections_.back()->Start();
}

void DaemonServer::SuperviseLoop() { Shutdown(WaitForEnd()); }

DaemonExit DaemonServer::WaitForEnd() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        ReapFinished(hold);
        if (endRequested_) return DaemonExit::kCloseRequest;
        if (stopRequested_) return DaemonExit::kStopped;
        if (HasOrdinaryClientLocked()) {
            busy_ = true;
            changed_.wait(hold);
            continue;
        }
        if (busy_) {
            busy_ = false;
            idleSince_ = std::chrono::steady_clock::now();
        }
        if (options_.idleTime.count() <= 0) {
            changed_.wait(hold);
            continue;
        }
        const auto deadline = idleSince_ + options_.idleTime;
        if (std::chrono::steady_clock::now() >= deadline) return DaemonExit::kIdle;
        changed_.wait_until(hold, deadline);
    }
}

void DaemonServer::ReapFinished(std::unique_lock<std::mutex>& hold) {
    auto finished = std::stable_partition(connections_.begin(), connections_.end(),
                                          [](const auto& c) { return !c->IsFinished(); });
    if (finished == connections_.end()) return;
    std::vector<std::unique_ptr<DaemonConnection>> ended;
    std::move(finished, connections_.end(), std::back_inserter(ended));
    connections_.erase(finished, connections_.end());
    hold.unlock();
    for (const auto& connection : ended) dispatcher_.Hosts().ClientEnded(connection->Number());
    ended.clear();
    hold.lock();
}

bool DaemonServer::HasOrdinaryClientLocked() {
    for (const auto& connection : connections_) {
        if (!dispatcher_.Hosts().IsHost(connection->Number())) return true;
    }
    return false;
}

void DaemonServer::Shutdown(DaemonExit reason) {
    dispatcher_.Hosts().Stop();
    StopListening();
    discovery_.Clear();
    CloseLinks();
    record_.Line(std::string("end reason=") + ExitName(reason));
    {
        std::lock_guard<std::mutex> hold(lock_);
        ended_ = true;
        exit_ = reason;
    }
    changed_.notify_all();
}

void DaemonServer::StopListening() {
    const char wake = 'x';
    while (write(wakePipe_[1], &wake, 1) < 0 && errno == EINTR) {
    }
    if (listenThread_.joinable()) listenThread_.join();
    CloseListener();
}

void DaemonServer::CloseListener() {
    if (listener_ >= 0) close(listener_);
    listener_ = -1;
}

void DaemonServer::CloseLinks() {
    std::unique_lock<std::mutex> hold(lock_);
    for (const auto& connection : connections_) connection->EndAfterRequest();
    changed_.wait_for(hold, kFlushTime, [this] {
        return std::all_of(connections_.begin(), connections_.end(),
                           [](const auto& c) { return c->IsFinished(); });
    });
    for (const auto& connection : connections_) connection->Abort();
    std::vector<std::unique_ptr<DaemonConnection>> all = std::move(connections_);
    connections_.clear();
    hold.unlock();
}
