#include "daemon_test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "foundation/ipc/ipc_names.h"

namespace daemon_test {

namespace {

// A reply is awaited long enough for a loaded machine (the bound only keeps a broken daemon
// from hanging the test); the end of a link is looked for briefly.
constexpr int kReplyWaitMs = 60000;
constexpr int kWaitMs = 5000;

}  // namespace

std::string Le32(uint32_t value) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(value >> shift));
    return bytes;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes.push_back(static_cast<char>(value));
    return bytes;
}

const std::string kHandshakeReply =
    Bytes({0x44, 0x56, 0x41, 0x4B, 0x4A, 0x01, 0x00, 0x00, 0x0D, 0xC3, 0x00, 0x00});

std::string HandshakeBytes(const std::string& path, int32_t flag) {
    return Bytes({0x43, 0x56, 0x41, 0x4B}) + Le32(330) + Le32(49933) +
           Le32(static_cast<uint32_t>(flag)) + Le32(static_cast<uint32_t>(path.size())) + path;
}

std::string RequestBytes(int32_t id, uint32_t transactionId, const std::string& payload) {
    return Le32(static_cast<uint32_t>(id)) + Le32(transactionId) +
           Le32(static_cast<uint32_t>(payload.size())) + payload;
}

std::string ReplyFrame(uint32_t transactionId, const std::string& reply) {
    return Bytes({0x6C, 0x70, 0x65, 0x72}) + Le32(transactionId) +
           Le32(static_cast<uint32_t>(reply.size())) + reply;
}

RawClient::RawClient(int port) {
    socket_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (socket_ >= 0 &&
        connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(socket_);
        socket_ = -1;
    }
}

RawClient::~RawClient() {
    if (socket_ >= 0) close(socket_);
}

bool RawClient::Send(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void RawClient::ShutdownSending() { shutdown(socket_, SHUT_WR); }

std::string RawClient::Read(size_t size) {
    std::string bytes;
    while (bytes.size() < size) {
        pollfd wait{socket_, POLLIN, 0};
        if (poll(&wait, 1, kReplyWaitMs) <= 0) break;
        char buffer[4096];
        const ssize_t n = recv(socket_, buffer, std::min(sizeof buffer, size - bytes.size()), 0);
        if (n <= 0) break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
}

bool RawClient::SeesEnd() {
    pollfd wait{socket_, POLLIN, 0};
    if (poll(&wait, 1, kWaitMs) <= 0) return false;
    char byte;
    return recv(socket_, &byte, 1, 0) <= 0;
}

std::string RawClient::Handshake(const std::string& path) {
    if (!Send(HandshakeBytes(path))) return {};
    return Read(kHandshakeReply.size());
}

std::string RawClient::Transact(int32_t id, uint32_t transactionId, const std::string& payload,
                                size_t replyLength) {
    if (!Send(RequestBytes(id, transactionId, payload))) return {};
    return Read(12 + replyLength);
}

BlockFields ReadBlockFile(const std::string& ipcFolder, const std::string& databasePath) {
    KAVDiscoveryNames names;
    if (!BuildDiscoveryNames(databasePath, names)) return {};
    std::ifstream in(DiscoveryFilePath(ipcFolder, names.blockName, kBlockFileEnding),
                     std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (bytes.size() < 36) return {};
    auto field = [&bytes](size_t offset) {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[offset + i]);
        return static_cast<int32_t>(value);
    };
    return {field(0), field(4), field(16), field(32)};
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool HasLine(const std::string& path, const std::string& line) {
    const std::vector<std::string> lines = ReadLines(path);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool WaitForLine(const std::string& path, const std::string& line) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    do {
        if (HasLine(path, line)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

}  // namespace daemon_test
