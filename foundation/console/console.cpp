// Both entry points format narrow (format_text.h). The message form is formatted with room
// for 4 UTF-8 bytes per character before its UTF-16 text is cut, so the cut never falls
// inside a character of the kept text.
#include "foundation/console/console.h"

#include <cstdarg>
#include <mutex>
#include <optional>
#include <string>

#include "foundation/console/console_listeners.h"
#include "foundation/console/console_lock.h"
#include "foundation/console/console_text.h"
#include "foundation/console/log_file_writer.h"
#include "foundation/text/format_text.h"
#include "foundation/console/output_pipe.h"
#include "foundation/text/utf16_conversion.h"

namespace {

constexpr size_t kMaxCharacters = 65535;

LogFileWriter* g_logFileSink = nullptr;  // under the console critical section

}  // namespace

void SetLogFileSink(LogFileWriter* sink) {
    std::lock_guard<std::recursive_timed_mutex> lock(ConsoleCriticalSection());
    g_logFileSink = sink;
}

void WriteConsoleText(std::string_view line) {
    std::string text(line);
    std::lock_guard<std::recursive_timed_mutex> lock(ConsoleCriticalSection());
    if (g_logFileSink) g_logFileSink->Write(text + "\r\n");
    text.push_back('\n');
    WriteConsoleOutput(text);
    NotifyConsoleListeners(line);
}

void PrintConsoleText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::optional<std::string> text = FormatTextCut(format, args, kMaxCharacters);
    va_end(args);
    if (text) WriteConsoleText(*text);
}

void PrintConsoleMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::optional<std::string> text = FormatTextCut(format, args, 4 * kMaxCharacters);
    va_end(args);
    if (!text) return;
    std::u16string wide = UTF8ToUTF16(*text);
    if (wide.size() > kMaxCharacters) wide.resize(kMaxCharacters);
    WriteConsoleText(WideToNarrowText(wide));
}
