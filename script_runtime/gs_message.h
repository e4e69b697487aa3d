// GSMessage: one router message (16 bytes). Nodes and natives build messages in the router's
// current message frame; a delayed message is copied into the router's message pool, and a
// thread that cannot take a message yet keeps its own pooled copy. Message kinds are type ids
// interned per router: 1 is the null or empty name (as a minor it matches every minor), 3 a
// destroy request, and majors below 100 reach a node without any subscription.
#pragma once

#include <cstdint>

// Bits of the time word.
inline constexpr uint32_t kGSMessageTimeMask = 0x3FFFFFFF;  // delay in ms, then due time
inline constexpr uint32_t kGSMessageSniffed = 0x40000000;   // being forwarded to a sniffer
inline constexpr uint32_t kGSMessageBuilt = 0x80000000;     // built by the runtime

// Type ids with a fixed meaning.
inline constexpr uint16_t kGSTypeAny = 1;
inline constexpr uint16_t kGSTypeDestroy = 3;
inline constexpr uint16_t kGSTypeFirstSubscribed = 100;

struct GSMessage {
    uint16_t major;
    uint16_t minor;
    int32_t source;       // node id of the sender
    int32_t destination;  // node id of the receiver; 0 = every node
    uint32_t timeWord;

    uint32_t TimeWord() const { return timeWord; }
    // A wait block or handler minor matches: equal, or the any-minor id.
    static bool MinorMatches(uint16_t wanted, uint16_t minor) { return wanted == kGSTypeAny || wanted == minor; }
};

static_assert(sizeof(GSMessage) == 16);

// A delay in seconds as whole milliseconds, truncated toward zero, in the time word's 30
// bits. A negative or NaN delay is no delay, and one past the 30 bits is the longest.
inline uint32_t GSDelayMilliseconds(float seconds) {
    const double milliseconds = static_cast<double>(seconds) * 1000.0;
    if (!(milliseconds >= 1.0)) return 0;
    if (milliseconds >= static_cast<double>(kGSMessageTimeMask)) return kGSMessageTimeMask;
    return static_cast<uint32_t>(milliseconds);
}
