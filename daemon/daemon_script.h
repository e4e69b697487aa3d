// The script of the daemon's scripted mode: a file in config.txt syntax that tests write
// to set chosen answers. Tags (names are unique per container, so entries are numbered):
//
//   handshake                         optional
//   {
//     fault        "no-handshake-reply"
//     times        1                  0 or absent: every handshake
//   }
//   requests
//   {
//     0
//     {
//       request    21                 the request id (required)
//       reply      "0a0b0c"           the reply bytes in hex, quoted (absent: empty reply)
//       daemon-reply 1                the daemon's own reply (after the notes) instead
//       fault      "drop-link"        or wrong-transaction-id, bad-frame-tag, negative-length,
//                                     hold-reply (never answered, the link kept open)
//       times      1                  requests this entry answers; 0 or absent: without end
//       notes                         sent before the reply, in order, one container each:
//       {                             kind 0: "status" (int32) or "data";
//         0                           kind 2, a question: "prompt" (the key text), "kuid"
//         {                             and "expect" (the answer request 150 should bring);
//           kind   2                  kind 3: the request's transaction id, then "data";
//           prompt "$key"             any other kind: "data" alone (hex, quoted)
//           kuid   <kuid:1:2>
//           expect 1
//         }
//       }
//     }
//   }
//
//   repair                            how repairs look to clients (repair_requests.h)
//
//   jobs                              command-host jobs, pushed in order to the first
//   {                                 client that registers as command host (request
//     0 { data "00000000..." }        140), each after the answer (141) to the one before:
//   }                                 the job's payload in hex
//
//   assets, settings, localuser, authors, urls, builds    seed the asset table
//                                     (asset_table_seed.h); read when the table opens
//
// Entries of one request id answer in file order, each for its times; when every counted
// entry is used up the daemon answers as it would without a script. Unknown tags and bad
// values are errors, so a mistyped script fails loudly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "daemon/daemon_request.h"
#include "daemon/repair_requests.h"
#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk_ref.h"

struct ScriptNote {
    int32_t kind = 0;
    WireBytes data;
    std::optional<int32_t> status;       // kind 0
    std::string prompt;                  // kind 2
    KUID kuid;                           // kind 2
    std::optional<int32_t> expectAnswer; // kind 2

    // The note as sent in answer to the request with that transaction id.
    DaemonNote ForTransaction(uint32_t transactionId) const;
};

struct ScriptAnswer {
    int32_t requestId = 0;
    int32_t times = 0;
    WireBytes reply;
    bool daemonReply = false;  // the notes, then the daemon's own answer
    DaemonFault fault = DaemonFault::kNone;
    std::vector<ScriptNote> notes;
};

struct DaemonScript {
    int32_t handshakeFaults = 0;  // as DaemonServer::SetHandshakeFaults takes it
    std::vector<ScriptAnswer> answers;
    RepairPlan repair;  // the "repair" section (repair_requests.h)
    std::vector<WireBytes> jobs;  // command-host job payloads
    // The script itself, for the seeding sections (asset_table_seed.h).
    ACSChunkRef seed;
};

// False, with a message naming the place, when the soup is not a valid script.
bool ReadDaemonScript(const ACSChunkRef& soup, DaemonScript& out, std::string& error);
// Loads the file as a text soup, then reads it.
bool LoadDaemonScript(const std::string& path, DaemonScript& out, std::string& error);
