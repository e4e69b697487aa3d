// The online-access server's address.
#include "link/online/online_access_server.h"

#include <cstdlib>

OnlineAccessServer OnlineAccessServer::FromEnvironment() {
    OnlineAccessServer server;
    const char* host = std::getenv("KODRIN_ONLINE_HOST");
    server.host = Kiv::String(host && *host ? host : "localhost");
    return server;
}
