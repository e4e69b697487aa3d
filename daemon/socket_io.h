// Exact transfers on a connected socket of the daemon. Sends never raise SIGPIPE. A
// payload is received in pieces, the buffer growing only with bytes that arrived, so a
// client that claims a large length and sends nothing holds no memory for it.
#pragma once

#include <cstddef>

#include "daemon/wire_bytes.h"

// False on error or when the peer closed before size bytes arrived.
bool ReceiveExact(int socket, void* data, size_t size);
bool ReceivePayload(int socket, size_t size, WireBytes& out);
bool SendAll(int socket, const void* data, size_t size);
