// The repair's answers and the reading of its plan. Entries go out through RequestLog, the
// same kind-3 note form as every other log the daemon sends.
#include "daemon/repair_requests.h"

#include <initializer_list>
#include <string_view>
#include <utility>

#include "daemon/request_log.h"
#include "foundation/streams/buffer_stream.h"

namespace {

constexpr int32_t kMaxPolls = 100000;
// Repairs kept at once; clients that leave in the middle of one cannot grow the books
// without end.
constexpr size_t kMaxRepairs = 1024;

bool Fail(std::string& error, const std::string& place, const std::string& what) {
    error = place + ": " + what;
    return false;
}

bool OnlyTags(const ACSChunkRef& soup, std::initializer_list<std::string_view> allowed,
              const std::string& place, std::string& error) {
    for (int32_t i = 0; i < soup.CountTags(); ++i) {
        const Kiv::PString name = soup.GetIndexedTagName(i);
        bool known = false;
        for (std::string_view tag : allowed) known = known || name.View() == tag;
        if (!known) return Fail(error, place, "unknown tag \"" + std::string(name.View()) + "\"");
    }
    return true;
}

// An integer tag in [low, high], fallback when absent.
bool ReadBounded(const ACSChunkRef& soup, const char* name, int32_t low, int32_t high,
                 int32_t fallback, int32_t& out, const std::string& place, std::string& error) {
    const Kiv::PString tag(name);
    out = fallback;
    if (!soup.HasTag(tag)) return true;
    if (soup.GetNamedTagType(tag) != ACSTagType::IntArray)
        return Fail(error, place, std::string("\"") + name + "\" is not an integer");
    out = soup.GetNamedTagAsInt(tag, fallback);
    if (out < low || out > high)
        return Fail(error, place, std::string("\"") + name + "\" is out of range");
    return true;
}

bool ReadEntry(const ACSChunkRef& soup, int32_t polls, RepairEntry& entry,
               const std::string& place, std::string& error) {
    if (soup.IsNull()) return Fail(error, place, "an entry is a container");
    if (!OnlyTags(soup, {"kind", "text", "kuid", "poll", "late"}, place, error)) return false;
    int32_t late = 0;
    if (!ReadBounded(soup, "kind", 1, 4, 0, entry.kind, place, error) ||
        !ReadBounded(soup, "poll", 0, polls, 0, entry.poll, place, error) ||
        !ReadBounded(soup, "late", 0, 1, 0, late, place, error)) {
        return false;
    }
    if (entry.kind == 0) return Fail(error, place, "\"kind\" is missing");
    entry.late = late != 0;
    entry.text = std::string(soup.GetNamedTag(Kiv::PString("text")).View());
    entry.kuid = soup.GetNamedTagAsKUID(Kiv::PString("kuid"), KUID::Null());
    return true;
}

void WritePollReply(bool going, float progress, const std::string& text, WireBytes& reply) {
    BufferStream out;
    out.Stream().WriteBool(going);
    out.Stream().WriteFloat(progress);
    out.Stream().WriteString(Kiv::String(text));
    const uint8_t* data = out.Buffer().GetData();
    reply.assign(data, data + out.Stream().Tell());
}

}  // namespace

bool ReadRepairPlan(const ACSChunkRef& script, RepairPlan& out, std::string& error) {
    out = RepairPlan();
    const Kiv::PString section("repair");
    if (!script.HasTag(section)) return true;
    const ACSChunkRef repair = script.GetNamedSoup(section);
    const std::string place = "repair";
    if (repair.IsNull()) return Fail(error, place, "the section is a container");
    if (!OnlyTags(repair, {"polls", "text", "entries"}, place, error) ||
        !ReadBounded(repair, "polls", 0, kMaxPolls, 0, out.polls, place, error)) {
        return false;
    }
    out.text = std::string(repair.GetNamedTag(Kiv::PString("text")).View());
    const ACSChunkRef entries = repair.GetNamedSoup(Kiv::PString("entries"));
    for (int32_t i = 0; i < entries.CountTags(); ++i) {
        RepairEntry entry;
        const std::string entryPlace =
            place + "/entries/" + std::string(entries.GetIndexedTagName(i).View());
        if (!ReadEntry(entries.GetIndexedSoup(i), out.polls, entry, entryPlace, error))
            return false;
        out.entries.push_back(std::move(entry));
    }
    return true;
}

void RepairRequests::SetPlan(RepairPlan plan) {
    std::lock_guard<std::mutex> hold(lock_);
    plan_ = std::move(plan);
}

bool RepairRequests::Answer(const DaemonRequest& request, DaemonResponse& response) {
    if (request.id == kRequestStartRepair) {
        std::lock_guard<std::mutex> hold(lock_);
        if (clients_.size() >= kMaxRepairs && clients_.count(request.client) == 0)
            clients_.erase(clients_.begin());
        clients_[request.client] = ClientRepair{request.transactionId, 0, false};
        return true;
    }
    if (request.id != kRequestPollRepair) return false;
    AnswerPoll(request, response);
    return true;
}

void RepairRequests::AnswerPoll(const DaemonRequest& request, DaemonResponse& response) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = clients_.find(request.client);
    if (found == clients_.end() || found->second.ended) {
        WritePollReply(false, 1.0f, std::string(), response.reply);
        return;
    }
    ClientRepair& repair = found->second;
    const int32_t poll = repair.pollsAnswered++;
    AddEntries(repair.transactionId,
               [poll](const RepairEntry& entry) { return !entry.late && entry.poll == poll; },
               response);
    if (poll < plan_.polls) {
        const float progress = static_cast<float>(poll + 1) / static_cast<float>(plan_.polls + 1);
        WritePollReply(true, progress, plan_.text, response.reply);
        return;
    }
    WritePollReply(false, 1.0f, std::string(), response.reply);
    repair.ended = true;
    if (!HasLateEntries()) clients_.erase(found);
}

void RepairRequests::AddLateNotes(const DaemonRequest& request, DaemonResponse& response) {
    if (request.id == kRequestStartRepair || request.id == kRequestPollRepair) return;
    std::lock_guard<std::mutex> hold(lock_);
    auto found = clients_.find(request.client);
    if (found == clients_.end() || !found->second.ended) return;
    AddEntries(found->second.transactionId, [](const RepairEntry& entry) { return entry.late; },
               response);
    clients_.erase(found);
}

template <typename Pick>
void RepairRequests::AddEntries(uint32_t transactionId, Pick pick,
                                DaemonResponse& response) const {
    RequestLog log;
    for (const RepairEntry& entry : plan_.entries) {
        if (pick(entry)) log.Add(entry.kind, entry.kuid, entry.text);
    }
    log.MoveTo(response, transactionId);
}

bool RepairRequests::HasLateEntries() const {
    for (const RepairEntry& entry : plan_.entries) {
        if (entry.late) return true;
    }
    return false;
}
