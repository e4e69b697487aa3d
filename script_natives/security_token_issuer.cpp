// The serial numbers of security-token issuers.
#include "script_natives/security_token_issuer.h"

#include <atomic>

namespace {

std::atomic<uint64_t> g_nextIssuerSerial{1};

} // namespace

SecurityTokenIssuer::SecurityTokenIssuer() : serial_(g_nextIssuerSerial.fetch_add(1)) {}
