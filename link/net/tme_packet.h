// TMEPacket: one message of the TME protocol, a byte stream over a buffer of its own (512
// bytes to start) that also carries the sequence and acknowledgement bytes of its datagram,
// how often it was sent and when it was last sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/streams/t_buffer.h"

class TMEPacket : public TBuffer {
public:
    TMEPacket();

    // Empties the packet and fills it with length bytes.
    void Assign(size_t length, const void* bytes);
    // A copy of the whole payload.
    std::vector<uint8_t> ReadAll() const;
    size_t PayloadSize() const { return GetBuffer().GetDataLength(); }
    const uint8_t* PayloadBytes() const { return GetBuffer().GetData(); }

    int32_t tries = 0;
    float sendTime = 0;
    uint8_t sequence = 0;
    uint8_t ack = 0;
    uint8_t third = 0;
};
