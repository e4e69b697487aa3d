// TMEEndpoint: the TME protocol, a reliable ordered message channel over one UDP peer.
// Each datagram is a sequence byte (1 to 255 for a message, 0 for control), the last
// sequence the sender delivered in order (its cumulative acknowledgement) and the payload.
// At most 60 messages are in flight; a message is sent again every 10 s, 5 times at most,
// before the link is given up; an acknowledgement goes out 1 s after a delivery, a
// keep-alive every 120 s, and 600 s of silence closes the link. Times are the job clock's
// seconds, which only the main thread's pump advances. The endpoint owns every packet in
// its lists; the derived endpoint handles each message delivered in order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/net/tme_packet.h"
#include "link/net/udp_socket.h"
#include "foundation/containers/block_array.h"

class TMEEndpoint {
public:
    using PacketList = BlockArray<TMEPacket*, 13>;

    static constexpr int32_t kMaxInFlight = 60;
    static constexpr int32_t kMaxWaiting = 1000;
    static constexpr float kRetransmitSeconds = 10.0f;
    static constexpr int32_t kMaxTries = 5;
    static constexpr float kAckDelaySeconds = 1.0f;
    static constexpr float kIdleCloseSeconds = 600.0f;

    TMEEndpoint() = default;
    TMEEndpoint(const TMEEndpoint&) = delete;
    TMEEndpoint& operator=(const TMEEndpoint&) = delete;
    virtual ~TMEEndpoint();

    virtual void Tick();
    // One message in order; the endpoint frees the packet afterwards.
    virtual void Deliver(TMEPacket& packet) = 0;
    virtual void OnLinkClosed() {}
    // Frees every packet in flight up to and including sequence ack.
    virtual void HandleAck(uint8_t ack);

    // Drops the current peer (as a disconnect does) and starts afresh on peer.
    void Attach(UdpPeer* peer);
    // Takes the packet when a peer is attached and fewer than 1,000 wait; false otherwise,
    // and the packet stays the caller's.
    bool Queue(TMEPacket* packet);
    // Tells the peer, drops it, and forgets every packet in flight or out of order; the
    // queued packets stay.
    void Disconnect();
    void SendAck();
    void SendDisconnect();
    // The receive callback of an attached peer.
    static void OnDatagram(void* endpoint, const uint8_t* bytes, size_t length);

    UdpPeer* Peer() const { return peer_; }
    float keepAliveInterval = 120.0f;
    uint8_t NextToSend() const { return nextToSend_; }
    uint8_t NextExpected() const { return nextExpected_; }
    int32_t InFlightCount() const { return inFlight_.Count(); }
    int32_t OutOfOrderCount() const { return outOfOrder_.Count(); }
    int32_t WaitingCount() const { return waiting_.Count(); }

protected:
    void Pump();
    void Transmit(TMEPacket& packet);

private:
    void Receive(TMEPacket* packet);
    void DeliverInOrder(TMEPacket* packet);
    void StoreEarly(TMEPacket* packet);
    TMEPacket* TakeOutOfOrder(uint8_t sequence);
    static void FreeAll(PacketList& list);

    uint8_t nextToSend_ = 1;
    uint8_t nextExpected_ = 1;
    uint8_t lastDelivered_ = 0;
    uint8_t lastAcknowledged_ = 0;
    float lastSend_ = 0;
    float lastReceive_ = 0;
    PacketList outOfOrder_;
    PacketList inFlight_;
    PacketList waiting_;
    UdpPeer* peer_ = nullptr;
    int32_t maxPayload_ = 0x8000;
    int32_t maxOutOfOrder_ = 100;
};
