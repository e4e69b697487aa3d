// The fault names, one table read by the record file and the script reader.
#include "daemon/daemon_request.h"

namespace {

struct FaultName {
    DaemonFault fault;
    const char* name;
};

constexpr FaultName kFaultNames[] = {
    {DaemonFault::kNone, "none"},
    {DaemonFault::kDropLink, "drop-link"},
    {DaemonFault::kWrongTransactionId, "wrong-transaction-id"},
    {DaemonFault::kBadFrameTag, "bad-frame-tag"},
    {DaemonFault::kNegativeLength, "negative-length"},
    {DaemonFault::kNoHandshakeReply, "no-handshake-reply"},
    {DaemonFault::kHoldReply, "hold-reply"},
};

}  // namespace

const char* DaemonFaultName(DaemonFault fault) {
    for (const FaultName& entry : kFaultNames) {
        if (entry.fault == fault) return entry.name;
    }
    return "none";
}

bool ParseDaemonFault(std::string_view name, DaemonFault& fault) {
    for (const FaultName& entry : kFaultNames) {
        if (name == entry.name) {
            fault = entry.fault;
            return true;
        }
    }
    return false;
}
