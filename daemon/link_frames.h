// The frames the daemon writes (handshake reply, 'repl', 'note'), the payload of a question
// note, and the decoding of the client's fixed-size headers. Every frame is built whole as
// bytes, so one queued item is one frame and frames of different threads never interleave.
#pragma once

#include <cstdint>
#include <string_view>

#include "daemon/daemon_request.h"
#include "daemon/wire_bytes.h"
#include "foundation/kuid/kuid.h"

// 'KAVD' and the two words the client stores without reading them.
WireBytes HandshakeReplyFrame(int32_t word0, int32_t word1);
// 'repl', transaction id, length, bytes; a fault of the reply damages the frame as named.
WireBytes ReplyFrame(uint32_t transactionId, const WireBytes& reply, DaemonFault fault);
// 'note', kind, length, bytes.
WireBytes NoteFrame(int32_t kind, const WireBytes& payload);
// The payload of a question (kind 2): transaction id, prompt key as a PString, the KUID in
// its stream form (int32 content id, then the packed version and user id).
WireBytes QuestionPayload(uint32_t transactionId, std::string_view promptKey, const KUID& kuid);

struct HandshakeHeader {
    int32_t tag = 0;
    int32_t version = 0;
    int32_t build = 0;
    int32_t flag = 0;
    int32_t pathLength = 0;
};

// data: DaemonLink::kHandshakeHeaderSize bytes.
HandshakeHeader DecodeHandshakeHeader(const uint8_t* data);
