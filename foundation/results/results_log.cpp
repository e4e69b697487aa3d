// ResultsLog: entries, counters, context stack, placeholder filling and the process-wide
// request registry. CopyFrom takes both logs' mutexes together (std::scoped_lock), so two
// threads copying a->b and b->a cannot deadlock.
#include "foundation/results/results_log.h"

#include "engine/ascii.h"

#include <map>
#include <string>
#include <string_view>

namespace {

struct RequestRegistry {
    std::mutex mutex;
    std::map<int32_t, ResultsLog*> logs;
};

// Never destroyed: logs may be destroyed, and so unregister, after main returns.
RequestRegistry& TheRegistry() {
    static RequestRegistry* registry = new RequestRegistry;
    return *registry;
}

size_t FindIgnoreCase(std::string_view text, std::string_view pattern, size_t start) {
    for (size_t at = start; at + pattern.size() <= text.size(); ++at) {
        size_t i = 0;
        while (i < pattern.size() && Kiv::Ascii::ToUpper(text[at + i]) == Kiv::Ascii::ToUpper(pattern[i]))
            ++i;
        if (i == pattern.size()) return at;
    }
    return std::string_view::npos;
}

// Replaces every "$(NAME)" of text, found ignoring case, by value. The search resumes after
// the inserted value, so a value holding its own placeholder is not expanded again.
void SubstituteVariable(std::string& text, std::string_view name, std::string_view value) {
    std::string pattern = "$(";
    for (char c : name)
        pattern += Kiv::Ascii::ToUpper(c);
    pattern += ')';
    for (size_t at = FindIgnoreCase(text, pattern, 0); at != std::string::npos;
         at = FindIgnoreCase(text, pattern, at + value.size()))
        text.replace(at, pattern.size(), value);
}

} // namespace

ResultsLog::~ResultsLog() {
    UnregisterAll(this);
    std::scoped_lock lock(mutex_);
    Broadcast(NuMessageType::ListDestroyed());
    contextStack_.clear();
    entries_.Clear();
}

void ResultsLog::AddEntry(int32_t kind, KodrinPropertyAssetID* subject, const Kiv::String& text,
                          const ResultsLogParameters* parameters) {
    std::scoped_lock lock(mutex_);
    ResultsLogEntry entry;
    entry.kind = kind;
    if (subject) {
        entry.subject.AssignAssetID(subject);
    } else if (!contextStack_.empty()) {
        entry.subject = contextStack_.back();
    }
    std::string finished = text.Std();
    if (parameters)
        for (const auto& [name, value] : *parameters)
            SubstituteVariable(finished, name.View(), value.View());
    entry.text = Kiv::String(std::move(finished));
    AppendCounted(std::move(entry));
    Broadcast(NuMessageType::ListUpdated());
}

void ResultsLog::PushContext(KodrinPropertyAssetID* subject) {
    std::scoped_lock lock(mutex_);
    contextStack_.emplace_back().AssignAssetID(subject);
}

void ResultsLog::PopContext() {
    std::scoped_lock lock(mutex_);
    if (!contextStack_.empty()) contextStack_.pop_back();
}

void ResultsLog::CopyFrom(const ResultsLog& other) {
    if (&other == this) return;
    std::scoped_lock lock(mutex_, other.mutex_);
    entries_.Clear();
    entries_.AppendAll(other.entries_);
    warnings_ = other.warnings_;
    errors_ = other.errors_;
    successes_ = other.successes_;
    allReported_ = false;
}

int32_t ResultsLog::EntryCount() const {
    std::scoped_lock lock(mutex_);
    return entries_.Count();
}

int32_t ResultsLog::WarningCount() const {
    std::scoped_lock lock(mutex_);
    return warnings_;
}

int32_t ResultsLog::ErrorCount() const {
    std::scoped_lock lock(mutex_);
    return errors_;
}

int32_t ResultsLog::SuccessCount() const {
    std::scoped_lock lock(mutex_);
    return successes_;
}

bool ResultsLog::AllReported() const {
    std::scoped_lock lock(mutex_);
    return allReported_;
}

void ResultsLog::SetAllReported() {
    std::scoped_lock lock(mutex_);
    allReported_ = true;
}

void ResultsLog::RegisterRequest(int32_t id, ResultsLog* log) {
    RequestRegistry& registry = TheRegistry();
    std::scoped_lock lock(registry.mutex);
    registry.logs[id] = log;
}

ResultsLog* ResultsLog::FindRequest(int32_t id) {
    RequestRegistry& registry = TheRegistry();
    std::scoped_lock lock(registry.mutex);
    auto found = registry.logs.find(id);
    return found == registry.logs.end() ? nullptr : found->second;
}

void ResultsLog::UnregisterRequest(int32_t id) {
    RequestRegistry& registry = TheRegistry();
    std::scoped_lock lock(registry.mutex);
    registry.logs.erase(id);
}

void ResultsLog::UnregisterAll(const ResultsLog* log) {
    RequestRegistry& registry = TheRegistry();
    std::scoped_lock lock(registry.mutex);
    std::erase_if(registry.logs, [log](const auto& item) { return item.second == log; });
}

void ResultsLog::AppendCounted(ResultsLogEntry entry) {
    switch (entry.kind) {
    case ResultsLogKind::Warning:
        ++warnings_;
        break;
    case ResultsLogKind::Error:
        ++errors_;
        break;
    case ResultsLogKind::Success:
        ++successes_;
        break;
    default:
        break;
    }
    allReported_ = false;
    entries_.PushBack(std::move(entry));
}

void ResultsLog::Broadcast(const Kiv::PString& type) {
    NotifyRecipients(NuMessageData(type, reinterpret_cast<uintptr_t>(this)));
}
