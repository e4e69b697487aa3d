// The stream form of a results log, written by the command host into job replies and read
// by the daemon link from notifications. The count that heads the entries is untrusted: the
// reading stops at the first entry that the stream cannot deliver whole.
#include "foundation/results/results_log.h"

#include <algorithm>

#include "foundation/streams/t_stream.h"

namespace {

constexpr int32_t kStreamVersion = 0;

void WriteEntry(TStream& stream, const ResultsLogEntry& entry) {
    stream.WriteInt32(entry.kind);
    stream.WriteString(entry.text);
    WriteKodrinProperty(stream, entry.subject);
}

bool ReadEntry(TStream& stream, ResultsLogEntry& entry) {
    return stream.ReadInt32(entry.kind, 0) && stream.ReadString(entry.text) &&
           ReadKodrinProperty(stream, entry.subject);
}

} // namespace

void ResultsLog::Write(TStream& stream, int32_t firstIndex) {
    std::scoped_lock lock(mutex_);
    int32_t total = entries_.Count();
    int32_t first = std::clamp(firstIndex, 0, total);
    stream.WriteInt32(kStreamVersion);
    stream.WriteInt32(total - first);
    allReported_ = true;
    for (auto at = entries_.At(first); !at.IsEnd(); at.Increment())
        WriteEntry(stream, *at);
}

void ResultsLog::Read(TStream& stream) {
    std::scoped_lock lock(mutex_);
    int32_t version = -1;
    int32_t count = 0;
    if (stream.ReadInt32(version, -1) && version == kStreamVersion && stream.ReadInt32(count, 0)) {
        for (int32_t i = 0; i < count; ++i) {
            ResultsLogEntry entry;
            if (!ReadEntry(stream, entry)) break;
            AppendCounted(std::move(entry));
        }
    }
    allReported_ = false;
    Broadcast(NuMessageType::ListUpdated());
}
