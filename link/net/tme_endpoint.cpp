// TMEEndpoint: sequencing, acknowledgement, retransmission and the link's timers.
#include "link/net/tme_endpoint.h"

#include <vector>

#include "foundation/jobs/job_timing.h"

namespace {

// After 255 comes 1: sequence 0 is kept for control datagrams.
uint8_t NextSequence(uint8_t sequence) {
    return sequence == 255 ? 1 : static_cast<uint8_t>(sequence + 1);
}

// a - b as a signed 8-bit number: negative when a comes before b.
int32_t SequenceDifference(uint8_t a, uint8_t b) {
    return static_cast<int8_t>(static_cast<uint8_t>(a - b));
}

float Now() { return GetJobClock(); }

} // namespace

TMEEndpoint::~TMEEndpoint() {
    Disconnect();
    FreeAll(waiting_);
}

void TMEEndpoint::Attach(UdpPeer* peer) {
    if (peer_) Disconnect();
    lastSend_ = lastReceive_ = Now();
    lastDelivered_ = lastAcknowledged_ = 0;
    nextToSend_ = nextExpected_ = 1;
    maxPayload_ = 0x8000;
    maxOutOfOrder_ = 100;
    peer_ = peer;
    peer->SetReceiver(&TMEEndpoint::OnDatagram, this);
}

bool TMEEndpoint::Queue(TMEPacket* packet) {
    if (!peer_ || waiting_.Count() > kMaxWaiting) return false;
    waiting_.PushBack(packet);
    return true;
}

void TMEEndpoint::Disconnect() {
    if (peer_) {
        SendDisconnect();
        peer_->SetReceiver(nullptr, nullptr);
        peer_ = nullptr;
    }
    FreeAll(outOfOrder_);
    FreeAll(inFlight_);
    OnLinkClosed();
}

void TMEEndpoint::Pump() {
    while (inFlight_.Count() < kMaxInFlight && !waiting_.IsEmpty()) {
        auto first = waiting_.Begin();
        TMEPacket* packet = *first;
        waiting_.Erase(first);
        packet->sequence = nextToSend_;
        nextToSend_ = NextSequence(nextToSend_);
        Transmit(*packet);
        inFlight_.PushBack(packet);
    }
}

void TMEEndpoint::Transmit(TMEPacket& packet) {
    if (!peer_) return;
    const float now = Now();
    ++packet.tries;
    packet.sendTime = now;
    packet.ack = lastDelivered_;
    lastSend_ = now;
    lastAcknowledged_ = lastDelivered_;
    std::vector<uint8_t> datagram;
    datagram.reserve(2 + packet.PayloadSize());
    datagram.push_back(packet.sequence);
    datagram.push_back(packet.ack);
    datagram.insert(datagram.end(), packet.PayloadBytes(),
                    packet.PayloadBytes() + packet.PayloadSize());
    peer_->Send(datagram.data(), datagram.size());
}

void TMEEndpoint::SendAck() {
    TMEPacket packet;
    Transmit(packet);
}

void TMEEndpoint::SendDisconnect() {
    TMEPacket packet;
    const uint8_t zero = 0;
    packet.Assign(1, &zero);
    Transmit(packet);
}

void TMEEndpoint::OnDatagram(void* endpoint, const uint8_t* bytes, size_t length) {
    if (length < 2) return;
    auto* packet = new TMEPacket;
    packet->sequence = bytes[0];
    packet->ack = bytes[1];
    packet->Assign(length - 2, bytes + 2);
    static_cast<TMEEndpoint*>(endpoint)->Receive(packet);
}

void TMEEndpoint::Receive(TMEPacket* packet) {
    if (packet->PayloadSize() > static_cast<size_t>(maxPayload_)) {
        delete packet;
        return;
    }
    if (packet->ack != 0) HandleAck(packet->ack);
    if (packet->sequence == 0) {
        const size_t size = packet->PayloadSize();
        delete packet;
        if (size == 0) lastReceive_ = Now();
        if (size == 1) Disconnect();
        return;
    }
    if (packet->sequence == nextExpected_) return DeliverInOrder(packet);
    if (SequenceDifference(packet->sequence, nextExpected_) < 0) {
        // A duplicate: our acknowledgement was lost, so send it again.
        if (SequenceDifference(packet->sequence, lastAcknowledged_) <= 0) lastAcknowledged_ = 0;
        delete packet;
        return;
    }
    StoreEarly(packet);
}

void TMEEndpoint::DeliverInOrder(TMEPacket* packet) {
    while (packet) {
        const float now = Now();
        if (lastDelivered_ == lastAcknowledged_) lastSend_ = now;
        lastDelivered_ = packet->sequence;
        packet->Rewind();
        Deliver(*packet);
        delete packet;
        nextExpected_ = NextSequence(nextExpected_);
        lastReceive_ = now;
        packet = TakeOutOfOrder(nextExpected_);
    }
}

void TMEEndpoint::StoreEarly(TMEPacket* packet) {
    const bool held = [&] {
        for (const TMEPacket* early : outOfOrder_) {
            if (early->sequence == packet->sequence) return true;
        }
        return false;
    }();
    if (held || outOfOrder_.Count() >= maxOutOfOrder_) {
        delete packet;
        return;
    }
    outOfOrder_.PushBack(packet);
}

TMEPacket* TMEEndpoint::TakeOutOfOrder(uint8_t sequence) {
    for (auto at = outOfOrder_.Begin(); !at.IsEnd(); ++at) {
        TMEPacket* packet = *at;
        if (packet->sequence != sequence) continue;
        outOfOrder_.Erase(at);
        return packet;
    }
    return nullptr;
}

void TMEEndpoint::HandleAck(uint8_t ack) {
    for (auto at = inFlight_.Begin(); !at.IsEnd();) {
        TMEPacket* packet = *at;
        if (SequenceDifference(packet->sequence, ack) > 0) {
            ++at;
            continue;
        }
        delete packet;
        at = inFlight_.Erase(at);
    }
}

void TMEEndpoint::Tick() {
    if (!peer_) return;
    const float now = Now();
    for (TMEPacket* packet : inFlight_) {
        if (now - packet->sendTime <= kRetransmitSeconds) continue;
        if (packet->tries < kMaxTries) {
            Transmit(*packet);
        } else {
            Disconnect();
        }
        return;
    }
    Pump();
    const bool ackWaits = lastDelivered_ != lastAcknowledged_;
    if ((ackWaits && now - lastSend_ > kAckDelaySeconds) || now - lastSend_ > keepAliveInterval) {
        SendAck();
    } else if (now - lastReceive_ > kIdleCloseSeconds) {
        Disconnect();
    }
}

void TMEEndpoint::FreeAll(PacketList& list) {
    for (TMEPacket* packet : list) delete packet;
    list.Clear();
}
