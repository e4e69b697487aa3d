// Lines go out with one write each on a file opened for appending, so a test that reads the
// file while the daemon runs sees whole lines.
#include "daemon/daemon_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// Requests whose payloads may carry the user's credential: the settings family (the
// "internet" section holds the password) and the login credential itself.
constexpr int32_t kMaskedRequests[] = {100, 101, 102, 103, 242};

constexpr size_t kMaxHexBytes = 64 * 1024;
constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& out, uint8_t byte) {
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0xF]);
}

}  // namespace

DaemonRecord::~DaemonRecord() {
    if (handle_ >= 0) close(handle_);
}

bool DaemonRecord::Open(const std::string& path) {
    if (path.empty()) return true;
    handle_ = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    return handle_ >= 0;
}

void DaemonRecord::Line(const std::string& text) {
    if (handle_ < 0) return;
    const std::string line = text + "\n";
    std::lock_guard<std::mutex> hold(lock_);
    size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = write(handle_, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        written += static_cast<size_t>(n);
    }
}

bool DaemonRecord::IsMasked(int32_t requestId) {
    return std::find(std::begin(kMaskedRequests), std::end(kMaskedRequests), requestId) !=
           std::end(kMaskedRequests);
}

std::string DaemonRecord::Payload(const WireBytes& bytes, bool masked) {
    std::string out = " len=" + std::to_string(bytes.size()) + " data=";
    if (masked) return out + "masked";
    const size_t shown = std::min(bytes.size(), kMaxHexBytes);
    for (size_t i = 0; i < shown; ++i) AppendHexByte(out, bytes[i]);
    if (shown < bytes.size()) out += "...";
    return out;
}

std::string DaemonRecord::PathText(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte > 0x20 && byte < 0x7F && c != '%') {
            out.push_back(c);
            continue;
        }
        out.push_back('%');
        out.push_back(kUpperHexDigits[byte >> 4]);
        out.push_back(kUpperHexDigits[byte & 0xF]);
    }
    return out;
}
