// Printing a results log after its command: one line per entry ("; ", "! ", "- " or "+ " by
// kind, the asset's KUID tag, " : ", the text), then the counts line, which starts with
// "OK (" whatever the counts. The log stays locked while it prints, because worker threads
// and the daemon link may still add entries to it.
#include <mutex>
#include <string>

#include "client/kodrin_util.h"
#include "foundation/console/console.h"
#include "foundation/kuid/kuid.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

const char* KindPrefix(int32_t kind) {
    switch (kind) {
    case ResultsLogKind::Information: return "; ";
    case ResultsLogKind::Warning: return "! ";
    case ResultsLogKind::Error: return "- ";
    case ResultsLogKind::Success: return "+ ";
    default: return "";
    }
}

std::string EntryLine(const ResultsLogEntry& entry) {
    KUID asset = KUID::Parse(entry.subject.GetValueText().c_str(), false);
    std::string line = KindPrefix(entry.kind);
    line += asset.ToTag().c_str();
    line += " : ";
    line += entry.text.Std();
    return line;
}

}  // namespace

void PrintResults(ResultsLog& log) {
    std::lock_guard<std::recursive_mutex> lock(log.Mutex());
    log.SetAllReported();
    int errors = 0;
    int warnings = 0;
    for (const ResultsLogEntry& entry : log.Entries()) {
        WriteConsoleText(EntryLine(entry));
        if (entry.kind == ResultsLogKind::Warning) ++warnings;
        if (entry.kind == ResultsLogKind::Error) ++errors;
    }
    PrintConsoleText("OK (%d Errors, %d Warnings)", errors, warnings);
}

}  // namespace KodrinUtil
