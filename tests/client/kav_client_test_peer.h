// Test support of the daemon link: a raw-socket daemon peer whose every byte a test writes
// by hand, and a fixture that puts the client's environment in front of it (port lookup,
// a launch counter, sleeps that return at once). Every read of the peer has a deadline,
// so a client that sends too little fails the test instead of hanging it.
#pragma once

#include <gtest/gtest.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/kav/kav_client.h"
#include "link/kav/kav_client_transaction.h"
#include "link/kav/kav_daemon_launch.h"
#include "net_test_support.h"

using Bytes = std::vector<uint8_t>;

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Bytes Le32(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Frame tags as they appear on the wire.
inline const Bytes kReplTag = {0x6C, 0x70, 0x65, 0x72};  // l p e r
inline const Bytes kNoteTag = {0x65, 0x74, 0x6F, 0x6E};  // e t o n

inline Bytes ReplFrame(uint32_t transactionId, const Bytes& body) {
    return Concat({kReplTag, Le32(transactionId), Le32(static_cast<uint32_t>(body.size())), body});
}

inline Bytes NoteFrame(int32_t kind, const Bytes& payload) {
    return Concat({kNoteTag, Le32(static_cast<uint32_t>(kind)),
                   Le32(static_cast<uint32_t>(payload.size())), payload});
}

struct PeerRequest {
    int32_t id = -1;
    uint32_t transactionId = 0;
    Bytes payload;
};

class RawDaemonPeer {
public:
    static constexpr int kDeadlineMs = 10000;

    RawDaemonPeer() = default;
    ~RawDaemonPeer() { CloseLink(); }

    uint16_t Port() const { return listener_.Port(); }

    // Takes the next connection in place of the current one.
    bool Accept() {
        CloseLink();
        fd_ = listener_.Accept();
        if (fd_ == -1) return false;
        NoDelay();
        return true;
    }
    void CloseLink() {
        if (fd_ != -1) ::close(fd_);
        fd_ = -1;
    }

    bool Read(Bytes& out, size_t n) {
        out.assign(n, 0);
        size_t done = 0;
        while (done < n) {
            pollfd ready{fd_, POLLIN, 0};
            if (::poll(&ready, 1, kDeadlineMs) != 1) return false;
            const ssize_t got = ::recv(fd_, out.data() + done, n - done, 0);
            if (got <= 0) return false;
            done += static_cast<size_t>(got);
        }
        return true;
    }
    Bytes Read(size_t n) {
        Bytes out;
        EXPECT_TRUE(Read(out, n)) << "the client sent fewer than " << n << " bytes";
        return out;
    }
    int32_t ReadInt32() {
        const Bytes word = Read(4);
        if (word.size() != 4) return -1;
        return static_cast<int32_t>(word[0] | (word[1] << 8) | (word[2] << 16) |
                                    (static_cast<uint32_t>(word[3]) << 24));
    }
    // True when the client closed its side (end of stream) before the deadline.
    bool SeesEndOfStream() {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, kDeadlineMs) != 1) return false;
        uint8_t byte = 0;
        return ::recv(fd_, &byte, 1, 0) == 0;
    }
    bool Write(const Bytes& bytes) { return SendAll(fd_, bytes.data(), bytes.size()); }
    // A small receive buffer, so that a large request blocks its sender.
    void LimitReceiveBuffer(int bytes) {
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }

    // The greeting's 20-byte header and path, answered with 'KAVD' and two words.
    bool Greet(int32_t word0 = 11, int32_t word1 = 22, Bytes* header = nullptr,
               std::string* path = nullptr) {
        Bytes head;
        if (!Read(head, 20)) return false;
        const uint32_t length = head[16] | (head[17] << 8) | (head[18] << 16) |
                                (static_cast<uint32_t>(head[19]) << 24);
        Bytes text;
        if (length > 4096 || !Read(text, length)) return false;
        if (header) *header = head;
        if (path) path->assign(text.begin(), text.end());
        return Write(Concat({{0x44, 0x56, 0x41, 0x4B}, Le32(static_cast<uint32_t>(word0)),
                             Le32(static_cast<uint32_t>(word1))}));
    }
    bool AcceptAndGreet() { return Accept() && Greet(); }
    // The peer's small frames go out at once, as the daemon's do.
    void NoDelay() {
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }

    bool ReadRequest(PeerRequest& request) {
        Bytes head;
        if (!Read(head, 12)) return false;
        request.id = static_cast<int32_t>(Load(head, 0));
        request.transactionId = Load(head, 4);
        const uint32_t length = Load(head, 8);
        if (length > (1u << 24)) return false;
        return Read(request.payload, length);
    }
    PeerRequest ReadRequest() {
        PeerRequest request;
        EXPECT_TRUE(ReadRequest(request)) << "no whole request frame";
        return request;
    }
    bool Reply(uint32_t transactionId, const Bytes& body) {
        return Write(ReplFrame(transactionId, body));
    }

private:
    static uint32_t Load(const Bytes& bytes, size_t at) {
        return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
               (static_cast<uint32_t>(bytes[at + 3]) << 24);
    }

    LoopbackListener listener_;
    int fd_ = -1;
};

// Runs the peer's part of a test on a thread of its own.
class PeerScript {
public:
    explicit PeerScript(std::function<void()> script) : thread_(std::move(script)) {}
    ~PeerScript() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
};

class KAVClientTest : public ::testing::Test {
protected:
    static constexpr const char* kDatabasePath = "/kav/userdata/assets.tdx";

    void SetUp() override {
        KAVClientEnvironment environment;
        environment.databasePath = [] { return Kiv::File::Path(kDatabasePath); };
        environment.lookUpPort = [this](const Kiv::File::Path&) {
            lookUps_.fetch_add(1);
            return port_.load();
        };
        environment.launchDaemon = [this] { launches_.fetch_add(1); };
        environment.sleep = [this](int64_t ms) {
            std::lock_guard<std::mutex> hold(sleepsMutex_);
            sleeps_.push_back(ms);
        };
        environment.closePollMs = 1;
        KAVClient::SetEnvironment(environment);
        port_.store(peer_.Port());
    }

    void TearDown() override {
        KAVClient::Shutdown();
        KAVClient::SetCommandHostCallback(nullptr);
        KAVClient::ResetEnvironment();
        KAVStartSchedule::Reset();
    }

    // The options start-up uses: no relaunch for a failed request.
    static KAVClientStartOptions StartupOptions() {
        KAVClientStartOptions options;
        options.flag3 = false;
        options.relaunch = false;
        return options;
    }

    // Starts the client against the peer, which accepts and greets it.
    bool StartClient(const KAVClientStartOptions& options = StartupOptions()) {
        bool greeted = false;
        PeerScript peer([&] { greeted = peer_.AcceptAndGreet(); });
        const bool started = KAVClient::Start(options);
        peer.Join();
        return started && greeted;
    }

    // Pumps the main thread's jobs until done() or the deadline.
    static bool PumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            KAVClient::PumpMainThread();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    // Waits (without pumping) until done() or the deadline.
    static bool WaitUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    // Until the reader has noticed the end of the link.
    static bool WaitUntilDisconnected() {
        return WaitUntil([] { return !KAVClient::IsConnected(); });
    }

    std::vector<int64_t> Sleeps() {
        std::lock_guard<std::mutex> hold(sleepsMutex_);
        return sleeps_;
    }

    ResolverUser resolverUser_;
    RawDaemonPeer peer_;
    std::atomic<int32_t> port_{0};
    std::atomic<int> lookUps_{0};
    std::atomic<int> launches_{0};
    std::mutex sleepsMutex_;
    std::vector<int64_t> sleeps_;
};
