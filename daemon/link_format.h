// The daemon's side of the link format: the tags and fixed words of the handshake and the
// frames, and the bounds the daemon puts on every length a client sends. Tags are int32
// four-character codes with the first letter in the most significant byte, so on the
// little-endian wire their letters appear reversed ('KAVC' travels as C V A K).
#pragma once

#include <cstddef>
#include <cstdint>

namespace DaemonLink {

constexpr int32_t FourCharCode(char a, char b, char c, char d) {
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                static_cast<uint32_t>(static_cast<unsigned char>(d)));
}

constexpr int32_t kClientHandshakeTag = FourCharCode('K', 'A', 'V', 'C');
constexpr int32_t kDaemonHandshakeTag = FourCharCode('K', 'A', 'V', 'D');
constexpr int32_t kReplyTag = FourCharCode('r', 'e', 'p', 'l');
constexpr int32_t kNoteTag = FourCharCode('n', 'o', 't', 'e');
// The tag of the "bad frame tag" fault: neither of the two tags a client knows.
constexpr int32_t kFaultTag = FourCharCode('b', 'a', 'd', '!');

// The int32 that stands in place of a request id to end the client.
constexpr int32_t kGoodbye = 1;

// Handshake header: tag, version, build, flag, path length (five int32).
constexpr size_t kHandshakeHeaderSize = 20;
// Request header: id, transaction id, payload length.
constexpr size_t kRequestHeaderSize = 12;

// Bounds on what a client may send or make the daemon hold.
constexpr int32_t kMaxPathLength = 4096;
constexpr int32_t kMaxPayloadLength = 64 * 1024 * 1024;
// Replies and notes queued for one client and not yet sent; beyond it (unless the queue
// was empty) the client is dropped.
constexpr size_t kMaxQueuedBytes = 128 * 1024 * 1024;
constexpr size_t kMaxClients = 64;

// Payloads are read in pieces of this size, so memory grows only with bytes that arrived.
constexpr size_t kReadPiece = 64 * 1024;

}  // namespace DaemonLink
