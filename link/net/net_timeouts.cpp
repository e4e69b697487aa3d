// Process-wide, atomically read time-outs of the network layer.
#include "link/net/net_timeouts.h"

#include <atomic>

namespace {

std::atomic<int64_t> resolveMs{NetTimeouts::kDefaultResolveMs};
std::atomic<int64_t> connectMs{NetTimeouts::kDefaultConnectMs};

}  // namespace

int64_t NetTimeouts::ResolveMs() { return resolveMs.load(); }
int64_t NetTimeouts::ConnectMs() { return connectMs.load(); }
void NetTimeouts::SetResolveMs(int64_t ms) { resolveMs.store(ms); }
void NetTimeouts::SetConnectMs(int64_t ms) { connectMs.store(ms); }

void NetTimeouts::Reset() {
    resolveMs.store(kDefaultResolveMs);
    connectMs.store(kDefaultConnectMs);
}
