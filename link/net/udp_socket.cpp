// UdpSocket and UdpPeer: one non-blocking datagram socket and the peers it routes to.
#include "link/net/udp_socket.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "link/net/net_resolver.h"

namespace {

bool SameSender(const sockaddr_in& a, const sockaddr_in& b) {
    return a.sin_port == b.sin_port && a.sin_addr.s_addr == b.sin_addr.s_addr;
}

} // namespace

UdpPeer::UdpPeer() : address_{}, receiver_(nullptr), user_(nullptr), socket_(nullptr) {
    address_.sin_family = AF_INET;
}

UdpPeer::~UdpPeer() { UdpSocket::DetachPeer(this); }

void UdpPeer::SetReceiver(Receiver receiver, void* user) {
    receiver_ = receiver;
    user_ = user;
}

bool UdpPeer::Send(const void* bytes, size_t length) {
    if (!socket_) return false;
    if (socket_->handle_ >= 0) {
        ::sendto(socket_->handle_, bytes, length, MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr*>(&address_), sizeof address_);
    }
    return true;
}

UdpSocket::~UdpSocket() { Close(); }

bool UdpSocket::Open() {
    CloseHandle();
    handle_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (handle_ < 0) return false;
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    const int flags = ::fcntl(handle_, F_GETFL);
    if (flags < 0 || ::fcntl(handle_, F_SETFL, flags | O_NONBLOCK) != 0 ||
        ::bind(handle_, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
        CloseHandle();
        return false;
    }
    return true;
}

void UdpSocket::Close() {
    CloseHandle();
    for (UdpPeer* peer : peers_) peer->socket_ = nullptr;
    peers_.Clear();
}

void UdpSocket::CloseHandle() {
    if (handle_ >= 0) ::close(handle_);
    handle_ = -1;
}

bool UdpSocket::Receive() {
    if (handle_ < 0) return false;
    // Large enough for any datagram the link expects; kept off the stack.
    static thread_local std::unique_ptr<uint8_t[]> buffer(new uint8_t[kReceiveBufferSize]);
    sockaddr_in sender{};
    socklen_t senderLength = sizeof sender;
    const ssize_t got = ::recvfrom(handle_, buffer.get(), kReceiveBufferSize, 0,
                                   reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (got <= 0) return false;
    const auto length = static_cast<size_t>(got);
    if (UdpPeer* peer = FindPeer(sender)) {
        Deliver(peer, buffer.get(), length);
    } else if (otherSender_) {
        Deliver(otherSender_(otherSenderUser_, sender), buffer.get(), length);
    }
    return true;
}

bool UdpSocket::AttachPeer(const Kiv::String& host, uint16_t port, UdpPeer* peer) {
    DetachPeer(peer);
    const bool resolved = NetResolver::ResolveAsync(host, port, &peer->address_);
    peers_.PushBack(peer);
    peer->socket_ = this;
    return resolved;
}

void UdpSocket::DetachPeer(UdpPeer* peer) {
    if (peer->socket_) peer->socket_->Forget(peer);
    peer->socket_ = nullptr;
}

void UdpSocket::SetOtherSender(OtherSender callback, void* user) {
    otherSender_ = callback;
    otherSenderUser_ = user;
}

uint16_t UdpSocket::LocalPort() const {
    if (handle_ < 0) return 0;
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
    return ntohs(local.sin_port);
}

UdpPeer* UdpSocket::FindPeer(const sockaddr_in& sender) const {
    for (UdpPeer* peer : peers_) {
        if (SameSender(peer->address_, sender)) return peer;
    }
    return nullptr;
}

void UdpSocket::Forget(UdpPeer* peer) {
    for (auto at = peers_.Begin(); !at.IsEnd(); ++at) {
        if (*at == peer) {
            peers_.Erase(at);
            return;
        }
    }
}

void UdpSocket::Deliver(const UdpPeer* peer, const uint8_t* bytes, size_t length) {
    // A peer whose link dropped it keeps routing its sender's datagrams to nobody.
    if (peer && peer->receiver_) peer->receiver_(peer->user_, bytes, length);
}
