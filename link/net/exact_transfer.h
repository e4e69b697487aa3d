// Exact sends and receives over a transport: the only way the daemon link moves bytes.
// They use the transport's socket directly (not its virtual operations), in pieces of at
// most 32768 bytes, and fail at once on a transport whose status is not 0. A failed socket
// call, or the peer closing the link during a receive, sets status 7. A receive takes in
// what has arrived, up to a piece, and keeps what lies beyond its own bytes in the
// transport's read-ahead for the next one. The daemon client's SendExact and ReceiveExact
// hand its one transport to these.
#pragma once

#include <cstddef>

class NetTransport;

inline constexpr size_t kNetTransferPiece = 32768;

// True when all n bytes went out (n = 0: at once, without a socket call).
bool NetSendExact(NetTransport* transport, const void* data, size_t n);
// True when all n bytes came in.
bool NetReceiveExact(NetTransport* transport, void* buffer, size_t n);
