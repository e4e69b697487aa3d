// TCPTransport: a TCP connection to a named host, made at construction. The host goes
// through the resolver; the connect is non-blocking with the time-out of NetTimeouts, so a
// silent host cannot stall the caller. A host name of 512 characters or more is refused
// (status 2, nothing resolved), never cut short into some other name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/net/net_transport.h"

class TCPTransport : public NetTransport {
public:
    static constexpr size_t kHostNameCapacity = 512;  // the longest host name is 511

    // Connected (status 0) or failed (status 2, socket -1); null host: empty name.
    TCPTransport(const char* host, uint16_t port);
    ~TCPTransport() override = default;

    int32_t Read(void* buffer, int32_t size) override;
    int32_t Peek(void* buffer, int32_t size) override;
    int32_t Write(const void* data, int32_t size) override;
    void Close() override;
    std::unique_ptr<NetTransport> Clone(uint16_t port) override;
    bool BytesAvailable() override;

    const std::string& GetHostName() const { return hostName_; }
    uint16_t GetPort() const { return port_; }

private:
    int Connect();

    std::string hostName_;
    uint16_t port_;
};
