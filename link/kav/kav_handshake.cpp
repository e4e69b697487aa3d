// The handshake goes out in one send: its fields are written in order into one block. The
// wait for the answer is bounded by the connect time-out, so a daemon that accepts and
// never answers fails the attempt instead of hanging the tool; the bound is lifted once the
// answer is in, because the waits for replies are unbounded.
#include "link/kav/kav_handshake.h"

#include <limits>

#include "link/kav/kav_link_format.h"
#include "link/net/exact_transfer.h"
#include "link/net/net_timeouts.h"
#include "link/net/net_transport.h"
#include "link/net/socket_calls.h"

bool KAVHandshake::Encode(bool flag, std::string_view databasePath, std::vector<uint8_t>& out) {
    if (databasePath.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        return false;
    }
    out.clear();
    KAVLink::AppendInt32(out, KAVLink::kClientTag);
    KAVLink::AppendInt32(out, KAVLink::kVersion);
    KAVLink::AppendInt32(out, KAVLink::kBuild);
    KAVLink::AppendInt32(out, flag ? 1 : 0);
    KAVLink::AppendInt32(out, static_cast<int32_t>(databasePath.size()));
    out.insert(out.end(), databasePath.begin(), databasePath.end());
    return true;
}

bool KAVHandshake::Exchange(NetTransport* transport, bool flag, std::string_view databasePath,
                            std::array<int32_t, 2>& words, bool* unanswered) {
    if (unanswered) *unanswered = false;
    std::vector<uint8_t> greeting;
    if (!Encode(flag, databasePath, greeting)) return false;
    if (!NetSendExact(transport, greeting.data(), greeting.size())) return false;
    if (!NetSocketSetReceiveTimeout(transport->GetSocket(), NetTimeouts::ConnectMs())) return false;
    uint8_t answer[4 * (1 + KAVLink::kHandshakeReplyWords)];
    if (!NetReceiveExact(transport, answer, 4)) {
        if (unanswered) *unanswered = true;
        return false;
    }
    if (KAVLink::LoadInt32(answer) != KAVLink::kDaemonTag) return false;
    if (!NetReceiveExact(transport, answer + 4, 8)) return false;
    if (!NetSocketSetReceiveTimeout(transport->GetSocket(), 0)) return false;
    words = {KAVLink::LoadInt32(answer + 4), KAVLink::LoadInt32(answer + 8)};
    return true;
}
