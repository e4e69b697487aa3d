// Where the online-access server is: a host name of the installation's choosing and UDP
// port 5250. Without KODRIN_ONLINE_HOST in the environment the host is this machine, so the
// tool never sends to an address nobody configured. Tests point the endpoint at a server of
// their own, port included.
#pragma once

#include <cstdint>

#include "engine/string.h"

struct OnlineAccessServer {
    static constexpr uint16_t kPort = 5250;

    Kiv::String host;
    uint16_t port = kPort;

    // The environment's host, else "localhost", on port 5250.
    static OnlineAccessServer FromEnvironment();
};
