// ResultsLog: what a command or a job reports, as an ordered list of entries (information,
// warning, error, success), each with its text and optionally the asset it concerns.
// Entries added without an asset are attributed to the top of the context stack. Every
// change broadcasts "list-updated" to the log's subscribers. A process-wide registry maps
// request ids to the logs that the daemon link streams results into. Each log has its own
// recursive mutex, held by every operation including its broadcast.
#pragma once

#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/string.h"
#include "foundation/containers/block_array.h"
#include "foundation/results/kodrin_property.h"
#include "foundation/results/nu_message.h"

class ACSChunkRef;
class TStream;

namespace ResultsLogKind {
constexpr int32_t Information = 1;
constexpr int32_t Warning = 2;
constexpr int32_t Error = 3;
constexpr int32_t Success = 4;
} // namespace ResultsLogKind

struct ResultsLogEntry {
    int32_t kind = 0;
    Kiv::String text;
    KodrinPropertyHandle subject; // the asset concerned, or null
};

using ResultsLogEntryList = BlockArray<ResultsLogEntry, 13>;

// Name/value pairs whose "$(NAME)" placeholders AddEntry fills in.
using ResultsLogParameters = std::vector<std::pair<Kiv::String, Kiv::String>>;

class ResultsLog : public NuMessageRecipient {
  public:
    ResultsLog() = default;
    // Unregisters the log's request ids, broadcasts "list-destroyed", then drops the
    // context stack, the entries and, last, the links.
    ~ResultsLog() override;

    // Appends an entry. subject may be null: the entry then concerns the top of the context
    // stack, or nothing when the stack is empty. Each parameter replaces every "$(NAME)" of
    // its upper-cased name, found ignoring case, by its value.
    void AddEntry(int32_t kind, KodrinPropertyAssetID* subject, const Kiv::String& text,
                  const ResultsLogParameters* parameters = nullptr);
    // The same with a soup's children as the parameters: each child's name, upper-cased,
    // and its value as text (foundation/soup/results_log_soup.cpp).
    void AddEntry(int32_t kind, KodrinPropertyAssetID* subject, const Kiv::String& text,
                  const ACSChunkRef& parameters);

    void PushContext(KodrinPropertyAssetID* subject);
    // Drops the top of the context stack; nothing when it is empty.
    void PopContext();

    // Replaces this log's entries by copies of other's (same block division) and takes
    // its counters. The context stack is not copied and nothing is broadcast.
    void CopyFrom(const ResultsLog& other);

    // The stream form: int32 version 0, int32 count, then per entry int32 kind, the text
    // (Kiv::String form) and the subject (WriteKodrinProperty). Write sends the entries from
    // firstIndex on (none when it is past the end) and marks the log reported. Read appends
    // the entries of a version-0 stream and stops at the first entry that does not read
    // whole, leaving the stream's error set; it always broadcasts "list-updated".
    void Write(TStream& stream, int32_t firstIndex);
    void Read(TStream& stream);

    // Hold the mutex while reading entries that another thread may be adding to.
    std::recursive_mutex& Mutex() const { return mutex_; }
    const ResultsLogEntryList& Entries() const { return entries_; }
    int32_t EntryCount() const;
    int32_t WarningCount() const;
    int32_t ErrorCount() const;
    int32_t SuccessCount() const;

    // Set at construction and once the log was printed or written out; cleared by any
    // entry added or copied in.
    bool AllReported() const;
    void SetAllReported();

    // The request registry: a plain pointer per id, no reference held.
    static void RegisterRequest(int32_t id, ResultsLog* log);
    static ResultsLog* FindRequest(int32_t id);
    static void UnregisterRequest(int32_t id);
    static void UnregisterAll(const ResultsLog* log);

  private:
    // Appends entry and counts it; the caller holds the mutex.
    void AppendCounted(ResultsLogEntry entry);
    void Broadcast(const Kiv::PString& type);

    mutable std::recursive_mutex mutex_;
    ResultsLogEntryList entries_;
    int32_t warnings_ = 0;
    int32_t errors_ = 0;
    int32_t successes_ = 0;
    bool allReported_ = true;
    std::vector<KodrinPropertyHandle> contextStack_;
};
