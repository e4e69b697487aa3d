// Reading a script checks every tag name against the short list its container allows and
// every value against its type, and names the place of the first problem
// ("requests/0/notes/1: ...").
#include "daemon/daemon_script.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "daemon/link_frames.h"

namespace {

bool Fail(std::string& error, const std::string& place, const std::string& what) {
    error = place + ": " + what;
    return false;
}

bool CheckTagNames(const ACSChunkRef& soup, std::initializer_list<std::string_view> allowed,
                   const std::string& place, std::string& error) {
    for (int32_t i = 0; i < soup.CountTags(); ++i) {
        const Kiv::PString name = soup.GetIndexedTagName(i);
        if (std::find(allowed.begin(), allowed.end(), name.View()) == allowed.end()) {
            return Fail(error, place, "unknown tag \"" + std::string(name.View()) + "\"");
        }
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Hex digit pairs; blanks between bytes are allowed.
bool ParseHex(std::string_view text, WireBytes& out) {
    out.clear();
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (high >= 0) return false;
            continue;
        }
        const int value = HexValue(c);
        if (value < 0) return false;
        if (high < 0) {
            high = value;
            continue;
        }
        out.push_back(static_cast<uint8_t>(high << 4 | value));
        high = -1;
    }
    return high < 0;
}

// An optional integer tag; false when present and not an integer.
bool ReadInt(const ACSChunkRef& soup, const char* name, std::optional<int32_t>& out,
             const std::string& place, std::string& error) {
    const Kiv::PString tag(name);
    if (!soup.HasTag(tag)) return true;
    if (soup.GetNamedTagType(tag) != ACSTagType::IntArray) {
        return Fail(error, place, std::string("\"") + name + "\" is not an integer");
    }
    out = soup.GetNamedTagAsInt(tag, 0);
    return true;
}

bool ReadCount(const ACSChunkRef& soup, int32_t& out, const std::string& place,
               std::string& error) {
    std::optional<int32_t> times;
    if (!ReadInt(soup, "times", times, place, error)) return false;
    if (times.value_or(0) < 0) return Fail(error, place, "\"times\" is negative");
    out = times.value_or(0);
    return true;
}

bool ReadHexTag(const ACSChunkRef& soup, const char* name, WireBytes& out, const std::string& place,
                std::string& error) {
    const Kiv::String text = soup.GetNamedTag(Kiv::PString(name));
    if (ParseHex(text.View(), out)) return true;
    return Fail(error, place, std::string("\"") + name + "\" is not hex bytes");
}

bool ReadFault(const ACSChunkRef& soup, DaemonFault& out, const std::string& place,
               std::string& error) {
    const Kiv::PString tag("fault");
    if (!soup.HasTag(tag)) return true;
    const Kiv::String name = soup.GetNamedTag(tag);
    if (ParseDaemonFault(name.View(), out)) return true;
    return Fail(error, place, "unknown fault \"" + std::string(name.View()) + "\"");
}

bool ReadNote(const ACSChunkRef& soup, ScriptNote& note, const std::string& place,
              std::string& error) {
    if (soup.IsNull()) return Fail(error, place, "a note is a container");
    if (!CheckTagNames(soup, {"kind", "status", "data", "prompt", "kuid", "expect"}, place,
                       error)) {
        return false;
    }
    std::optional<int32_t> kind;
    if (!ReadInt(soup, "kind", kind, place, error)) return false;
    if (!kind) return Fail(error, place, "\"kind\" is missing");
    note.kind = *kind;
    note.prompt = std::string(soup.GetNamedTag(Kiv::PString("prompt")).View());
    note.kuid = soup.GetNamedTagAsKUID(Kiv::PString("kuid"), KUID::Null());
    return ReadInt(soup, "status", note.status, place, error) &&
           ReadInt(soup, "expect", note.expectAnswer, place, error) &&
           ReadHexTag(soup, "data", note.data, place, error);
}

bool ReadAnswer(const ACSChunkRef& soup, ScriptAnswer& answer, const std::string& place,
                std::string& error) {
    if (soup.IsNull()) return Fail(error, place, "an entry is a container");
    if (!CheckTagNames(soup, {"request", "reply", "daemon-reply", "fault", "times", "notes"}, place,
                       error)) {
        return false;
    }
    std::optional<int32_t> request;
    if (!ReadInt(soup, "request", request, place, error)) return false;
    if (!request) return Fail(error, place, "\"request\" is missing");
    answer.requestId = *request;
    if (!ReadCount(soup, answer.times, place, error) ||
        !ReadHexTag(soup, "reply", answer.reply, place, error) ||
        !ReadFault(soup, answer.fault, place, error)) {
        return false;
    }
    if (answer.fault == DaemonFault::kNoHandshakeReply) {
        return Fail(error, place, "\"no-handshake-reply\" belongs to the handshake");
    }
    std::optional<int32_t> daemonReply;
    if (!ReadInt(soup, "daemon-reply", daemonReply, place, error)) return false;
    answer.daemonReply = daemonReply.value_or(0) != 0;
    if (answer.daemonReply && soup.HasTag(Kiv::PString("reply"))) {
        return Fail(error, place, "\"reply\" and \"daemon-reply\" exclude each other");
    }
    const ACSChunkRef notes = soup.GetNamedSoup(Kiv::PString("notes"));
    for (int32_t i = 0; i < notes.CountTags(); ++i) {
        ScriptNote note;
        const std::string notePlace =
            place + "/notes/" + std::string(notes.GetIndexedTagName(i).View());
        if (!ReadNote(notes.GetIndexedSoup(i), note, notePlace, error)) return false;
        answer.notes.push_back(std::move(note));
    }
    return true;
}

bool ReadJobs(const ACSChunkRef& jobs, DaemonScript& out, std::string& error) {
    for (int32_t i = 0; i < jobs.CountTags(); ++i) {
        const std::string place = "jobs/" + std::string(jobs.GetIndexedTagName(i).View());
        const ACSChunkRef job = jobs.GetIndexedSoup(i);
        if (job.IsNull()) return Fail(error, place, "a job is a container");
        if (!CheckTagNames(job, {"data"}, place, error)) return false;
        WireBytes payload;
        if (!ReadHexTag(job, "data", payload, place, error)) return false;
        out.jobs.push_back(std::move(payload));
    }
    return true;
}

bool ReadHandshake(const ACSChunkRef& soup, DaemonScript& out, std::string& error) {
    const std::string place = "handshake";
    if (!CheckTagNames(soup, {"fault", "times"}, place, error)) return false;
    DaemonFault fault = DaemonFault::kNone;
    int32_t times = 0;
    if (!ReadFault(soup, fault, place, error) || !ReadCount(soup, times, place, error)) {
        return false;
    }
    if (fault != DaemonFault::kNoHandshakeReply) {
        return Fail(error, place, "the only handshake fault is \"no-handshake-reply\"");
    }
    out.handshakeFaults = times == 0 ? -1 : times;
    return true;
}

} // namespace

DaemonNote ScriptNote::ForTransaction(uint32_t transactionId) const {
    DaemonNote note;
    note.kind = kind;
    if (kind == kNoteQuestion) {
        note.payload = QuestionPayload(transactionId, prompt, kuid);
        note.expectedAnswer = expectAnswer;
        return note;
    }
    WireWriter writer(note.payload);
    if (kind == kNoteStatus && status) writer.Int32(*status);
    if (kind == kNoteResultsLog) writer.UInt32(transactionId);
    writer.Bytes(data);
    return note;
}

bool ReadDaemonScript(const ACSChunkRef& soup, DaemonScript& out, std::string& error) {
    out = DaemonScript();
    if (!CheckTagNames(soup,
                       {"handshake", "requests", "jobs", "assets", "settings", "localuser",
                        "authors", "urls", "builds", "repair"},
                       "script", error)) {
        return false;
    }
    out.seed = soup;
    if (!ReadRepairPlan(soup, out.repair, error)) return false;
    const Kiv::PString handshake("handshake");
    if (soup.HasTag(handshake) && !ReadHandshake(soup.GetNamedSoup(handshake), out, error)) {
        return false;
    }
    if (!ReadJobs(soup.GetNamedSoup(Kiv::PString("jobs")), out, error)) return false;
    const ACSChunkRef requests = soup.GetNamedSoup(Kiv::PString("requests"));
    for (int32_t i = 0; i < requests.CountTags(); ++i) {
        ScriptAnswer answer;
        const std::string place = "requests/" + std::string(requests.GetIndexedTagName(i).View());
        if (!ReadAnswer(requests.GetIndexedSoup(i), answer, place, error)) return false;
        out.answers.push_back(std::move(answer));
    }
    return true;
}

bool LoadDaemonScript(const std::string& path, DaemonScript& out, std::string& error) {
    ACSChunkRef soup;
    if (!soup.LoadFromFile("", path.c_str(), "txt", true)) {
        error = "cannot read the script " + path;
        return false;
    }
    return ReadDaemonScript(soup, out, error);
}
