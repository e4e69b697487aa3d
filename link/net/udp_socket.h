// UdpSocket and UdpPeer: the datagram layer of the online links. One non-blocking IPv4
// socket bound to any address and an ephemeral port; each datagram it receives goes to the
// attached peer whose address sent it, or, from an unknown sender, to the peer an
// other-sender callback chooses. Nothing here locks: everything runs on the thread that
// pumps the owner; only the name resolver's thread fills a peer's address.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>

#include "engine/string.h"
#include "foundation/containers/block_array.h"

class UdpSocket;

class UdpPeer {
public:
    using Receiver = void (*)(void* user, const uint8_t* bytes, size_t length);

    UdpPeer();
    // Leaves its socket, so a peer may go before the socket it is attached to.
    ~UdpPeer();
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    void SetReceiver(Receiver receiver, void* user);
    // One datagram to the peer's address; false (nothing sent) while detached.
    bool Send(const void* bytes, size_t length);

    const sockaddr_in& Address() const { return address_; }
    UdpSocket* Socket() const { return socket_; }

private:
    friend class UdpSocket;

    sockaddr_in address_;
    Receiver receiver_;
    void* user_;
    UdpSocket* socket_;
};

class UdpSocket {
public:
    // Chooses the peer for a datagram from an address no attached peer has, or null.
    using OtherSender = UdpPeer* (*)(void* user, const sockaddr_in& sender);
    // The largest datagram one receive takes.
    static constexpr size_t kReceiveBufferSize = 100000;

    UdpSocket() = default;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;
    ~UdpSocket();

    // A non-blocking IPv4 socket bound to any address, port 0; on failure it stays closed.
    bool Open();
    // Closes the handle and forgets every peer (their socket is cleared).
    void Close();
    // Closes the handle only; the peers stay attached.
    void CloseHandle();
    // One receive attempt, never waiting; true when a datagram was read.
    bool Receive();

    // Moves peer to this socket and fills its address from host and port through the name
    // resolver; false when the name did not resolve (the peer is attached all the same, and
    // its datagrams go nowhere until it is attached again).
    bool AttachPeer(const Kiv::String& host, uint16_t port, UdpPeer* peer);
    static void DetachPeer(UdpPeer* peer);

    void SetOtherSender(OtherSender callback, void* user);
    int Handle() const { return handle_; }
    // The bound port in host order, 0 while closed.
    uint16_t LocalPort() const;

private:
    friend class UdpPeer;

    static void Deliver(const UdpPeer* peer, const uint8_t* bytes, size_t length);
    UdpPeer* FindPeer(const sockaddr_in& sender) const;
    void Forget(UdpPeer* peer);

    BlockArray<UdpPeer*, 13> peers_;
    int handle_ = -1;
    OtherSender otherSender_ = nullptr;
    void* otherSenderUser_ = nullptr;
};
