// NetTransport: the byte-stream transport interface under the daemon link, with the status
// and socket handle that every transport carries. Close shuts the socket down at once, so a
// thread blocked in a receive on it wakes with end of stream, but the descriptor itself is
// released only when the transport is destroyed: a receive racing with Close can then never
// land on a descriptor number that another open has reused meanwhile. Bytes received ahead
// by the exact receives wait in the transport's read-ahead, which its own reads serve first.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "link/net/net_read_ahead.h"

enum NetTransportStatus : int32_t {
    kNetStatusOk = 0,            // usable
    kNetStatusNotConnected = 2,  // resolution, socket creation or connect failed
    kNetStatusClosed = 5,        // closed by Close
    kNetStatusFailed = 7,        // a transfer failed, or the peer closed during an exact receive
};

class NetTransport {
public:
    NetTransport() = default;
    NetTransport(const NetTransport&) = delete;
    NetTransport& operator=(const NetTransport&) = delete;

    // Bytes read, 0 when the peer closed, negative on error.
    virtual int32_t Read(void* buffer, int32_t size) = 0;
    // Bytes copied without consuming them, negative on error.
    virtual int32_t Peek(void* buffer, int32_t size) = 0;
    // Bytes written, negative on error.
    virtual int32_t Write(const void* data, int32_t size) = 0;
    virtual void Close() = 0;
    // A new transport of the same kind to the same host at the given port, or null.
    virtual std::unique_ptr<NetTransport> Clone(uint16_t port) = 0;
    virtual ~NetTransport();
    virtual bool BytesAvailable() { return true; }

    int32_t GetStatus() const { return status_.load(); }
    int GetSocket() const { return socket_.load(); }
    // Status 7, written only while the status is still 0 so that the first error stays.
    void SetFailed();
    // Used by the thread that reads the transport, like the socket's receiving side.
    NetReadAhead& ReadAhead() { return readAhead_; }

protected:
    explicit NetTransport(int socket) : socket_(socket) {}
    void SetStatus(int32_t status) { status_.store(status); }
    void AdoptSocket(int socket) { socket_.store(socket); }
    // Status 5 and the socket shut down in both directions; the field becomes -1.
    void CloseSocket();

private:
    std::atomic<int32_t> status_{kNetStatusOk};
    std::atomic<int> socket_{-1};
    std::atomic<int> retiredSocket_{-1};  // shut down by Close, released by the destructor
    NetReadAhead readAhead_;
};
