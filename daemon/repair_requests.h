// RepairRequests: the stand-in's database repair (requests 3 and 4). The daemon repairs
// nothing; a repair plan, from the script's "repair" section, says how the repair looks to
// the client:
//
//   repair
//   {
//     polls    2                 polls answered "still going" before the one that ends it
//     text     "Checking assets" the status text of those polls
//     entries                    the repair's log entries, sent as kind-3 notes for request
//     {                          3's transaction, so always after 3's reply:
//       0 { kind 3  text "Broken"  kuid <kuid:12:1>  poll 0 }   before the reply of poll 0
//       1 { kind 2  text "Late"  late 1 }   before the reply of the client's next request
//     }                                     after the repair ended (neither 3 nor 4)
//   }
//
// Without a plan a repair ends at its first poll with no entries. Each client has its own
// repair; request 3 starts it again. A poll without a repair answers "not going".
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "daemon/daemon_request.h"
#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk_ref.h"

struct RepairEntry {
    int32_t kind = 0;  // a results-log kind, 1 to 4
    KUID kuid;         // the asset concerned; the null KUID: none
    std::string text;
    int32_t poll = 0;  // before the reply of this poll (0 .. polls)
    bool late = false; // with the client's next request after the end instead
};

struct RepairPlan {
    int32_t polls = 0;
    std::string text;
    std::vector<RepairEntry> entries;
};

// Reads the script's "repair" section (absent: the default plan); false, with the place of
// the first problem in error, for an unknown tag or a value out of range.
bool ReadRepairPlan(const ACSChunkRef& script, RepairPlan& out, std::string& error);

enum RepairRequestId : int32_t {
    kRequestStartRepair = 3,  // int32 mode; empty reply
    kRequestPollRepair = 4,   // reply: bool going, float progress, String status text
};

class RepairRequests {
public:
    void SetPlan(RepairPlan plan);
    // Answers 3 and 4; false for any other request.
    bool Answer(const DaemonRequest& request, DaemonResponse& response);
    // For any other request of a client whose repair has ended: the late entries, once.
    void AddLateNotes(const DaemonRequest& request, DaemonResponse& response);

private:
    struct ClientRepair {
        uint32_t transactionId = 0;  // of the request 3 that started it
        int32_t pollsAnswered = 0;
        bool ended = false;
    };

    void AnswerPoll(const DaemonRequest& request, DaemonResponse& response);
    // The plan's entries selected by pick, as one note for the repair's transaction.
    template <typename Pick>
    void AddEntries(uint32_t transactionId, Pick pick, DaemonResponse& response) const;
    bool HasLateEntries() const;

    std::mutex lock_;
    RepairPlan plan_;
    std::map<int, ClientRepair> clients_;
};
