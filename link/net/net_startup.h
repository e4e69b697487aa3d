// Process-wide start and stop of the network layer: the OpenSSL library with one client
// context, the lock table behind the library's locking callback, and the resolver's user.
// Start-ups nest: only the first NetStartup starts the layer and only the matching last
// NetShutdown stops it; a NetShutdown without a start-up does nothing, and a stopped layer
// may be started again. OpenSSL 3 no longer calls the locking and thread-id callbacks; they
// are still installed and kept working for libraries that do.
#pragma once

#include <openssl/ssl.h>

#include <cstdint>

void NetStartup();
void NetShutdown();

// Mode bits of the locking callback.
inline constexpr int kNetSslLock = 1;
inline constexpr int kNetSslUnlock = 2;

// Lock (bit 1) or unlock (bit 2) lock n of the table; n outside the table is ignored, and
// so is an unlock of a lock that is not held by the calling thread.
void NetSslLockingCallback(int mode, int n, const char* file, int line);
unsigned long NetThreadIdCallback();

// Start-ups not yet matched by a shut-down.
int32_t NetStartCount();
// Locks in the table: what the library asked for while started, else 0.
int32_t NetSslLockCount();
// The client context kept while the layer is started (made on the first call), else null.
SSL_CTX* NetSslClientContext();
