// SSLTransport: a transport over an OpenSSL connection. It has its full interface but
// nothing in the tool opens one yet. It owns the connection object and the socket handed
// to it: destruction shuts the connection down, frees it and then releases the socket.
#pragma once

#include <openssl/ssl.h>

#include "link/net/net_transport.h"

class SSLTransport : public NetTransport {
public:
    explicit SSLTransport(SSL* connection = nullptr, int socket = -1);
    ~SSLTransport() override;

    // The library's read, peek and write; -1 without a connection object.
    int32_t Read(void* buffer, int32_t size) override;
    int32_t Peek(void* buffer, int32_t size) override;
    int32_t Write(const void* data, int32_t size) override;
    // Status 5 and the socket closed; the connection object stays until destruction.
    void Close() override;
    // Always null: a secure connection cannot be repeated from the host name alone.
    std::unique_ptr<NetTransport> Clone(uint16_t port) override;

    SSL* GetConnection() const { return connection_; }

private:
    SSL* connection_;
};
