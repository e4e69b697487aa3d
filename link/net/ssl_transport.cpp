// SSLTransport over the OpenSSL connection calls, each under a SIGPIPE guard because the
// library's socket layer may write on any of them.
#include "link/net/ssl_transport.h"

#include "link/net/sigpipe_guard.h"

SSLTransport::SSLTransport(SSL* connection, int socket)
    : NetTransport(socket), connection_(connection) {}

SSLTransport::~SSLTransport() {
    if (!connection_) return;
    const NetSigpipeGuard guard;
    SSL_shutdown(connection_);
    SSL_free(connection_);
}

int32_t SSLTransport::Read(void* buffer, int32_t size) {
    if (!connection_ || size < 0) return -1;
    const NetSigpipeGuard guard;
    return SSL_read(connection_, buffer, size);
}

int32_t SSLTransport::Peek(void* buffer, int32_t size) {
    if (!connection_ || size < 0) return -1;
    const NetSigpipeGuard guard;
    return SSL_peek(connection_, buffer, size);
}

int32_t SSLTransport::Write(const void* data, int32_t size) {
    if (!connection_ || size < 0) return -1;
    const NetSigpipeGuard guard;
    return SSL_write(connection_, data, size);
}

void SSLTransport::Close() { CloseSocket(); }

std::unique_ptr<NetTransport> SSLTransport::Clone(uint16_t) { return nullptr; }
