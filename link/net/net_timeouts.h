// The network layer's waits, read at each use so that tests can shorten them: how long a
// caller waits for the resolver (5000 ms) and how long a TCP connect may take before the
// transport gives up (15000 ms; a plain blocking connect could hang for minutes on a
// silent host).
#pragma once

#include <cstdint>

class NetTimeouts {
public:
    static constexpr int64_t kDefaultResolveMs = 5000;
    static constexpr int64_t kDefaultConnectMs = 15000;

    static int64_t ResolveMs();
    static int64_t ConnectMs();
    static void SetResolveMs(int64_t ms);
    static void SetConnectMs(int64_t ms);
    // Both back to their defaults.
    static void Reset();
};
