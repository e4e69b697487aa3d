// TMEPacket: a message of the TME protocol over its own growable buffer.
#include "link/net/tme_packet.h"

TMEPacket::TMEPacket() : TBuffer(new Kiv::DynamicBuffer(512), true) {}

void TMEPacket::Assign(size_t length, const void* bytes) {
    Reopen();
    WriteBytes(bytes, length);
    Rewind();
}

std::vector<uint8_t> TMEPacket::ReadAll() const {
    return std::vector<uint8_t>(PayloadBytes(), PayloadBytes() + PayloadSize());
}
