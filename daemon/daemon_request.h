// One request as the daemon received it, and what the daemon does about it: the notes it
// sends first (questions among them), the reply bytes, a fault that replaces or damages the
// reply for tests of the client, and whether the daemon ends after replying. A request
// handler (built in, a library hook or a script entry) fills a DaemonResponse.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "daemon/wire_bytes.h"

enum class DaemonFault {
    kNone,
    kDropLink,            // the link is closed instead of the reply (queued notes go first)
    kWrongTransactionId,  // the reply carries a transaction id the client did not send
    kBadFrameTag,         // the reply frame opens with a tag the client does not know
    kNegativeLength,      // the reply frame claims length -1 and carries no bytes
    kNoHandshakeReply,    // the handshake is read and the link closed without a reply
    kHoldReply,           // no reply at all (queued notes go first); the link stays open
};

// The fault's name in scripts and record lines; "none" for kNone.
const char* DaemonFaultName(DaemonFault fault);
// False, and fault untouched, for a name that is not in the table.
bool ParseDaemonFault(std::string_view name, DaemonFault& fault);

struct DaemonRequest {
    int client = 0;  // the connection's number, counted from 1 in the daemon's life
    int32_t id = 0;
    uint32_t transactionId = 0;
    WireBytes payload;
};

struct DaemonNote {
    int32_t kind = 0;
    WireBytes payload;
    // For a question (kind 2): the answer the client should send back in request 150,
    // checked and recorded when it arrives.
    std::optional<int32_t> expectedAnswer;
};

// Notification kinds the client knows.
enum DaemonNoteKind : int32_t {
    kNoteStatus = 0,       // int32 status value
    kNoteCommandJob = 1,   // a command-host job
    kNoteQuestion = 2,     // uint32 transaction id, PString prompt key, KUID
    kNoteResultsLog = 3,   // uint32 transaction id, a results log
};

struct DaemonResponse {
    std::vector<DaemonNote> notes;  // sent in order, before the reply
    WireBytes reply;
    DaemonFault fault = DaemonFault::kNone;
    bool endDaemon = false;  // after the reply: close every link and exit
    // Set by a hook that leaves the request to the daemon's own handler after all (notes
    // it added still go first).
    bool passOn = false;
};
