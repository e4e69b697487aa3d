// KAVIncomingMessage: one notification received from the daemon, its kind and a byte
// stream over its payload. Results-log notes (kind 3) are read at once on the link's
// reader; the other kinds wait in the client's queue for the main thread.
#pragma once

#include <cstdint>

#include "engine/dynamic_buffer.h"
#include "foundation/streams/t_buffer.h"

class KAVIncomingMessage {
public:
    explicit KAVIncomingMessage(int32_t kind) : kind_(kind) {}
    KAVIncomingMessage(const KAVIncomingMessage&) = delete;
    KAVIncomingMessage& operator=(const KAVIncomingMessage&) = delete;

    int32_t Kind() const { return kind_; }
    bool IsLogKind() const;
    TBuffer& Payload() { return stream_; }

private:
    // Declared in this order so that the stream goes first.
    Kiv::DynamicBuffer buffer_{0, 512};
    TBuffer stream_{&buffer_, false};
    int32_t kind_;
};
