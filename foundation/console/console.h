// Console output: the tool's results are lines of console text, written whole under the
// console critical section (console_lock.h) to standard output or the parent's pipe
// (output_pipe.h). PrintConsoleMessage takes UTF-8 text and maps it to the console's
// narrow characters (console_text.h); PrintConsoleText and WriteConsoleText take narrow
// console text as it is. A formatted line longer than 65535 characters is cut there.
// Each line also goes to the log-file sink while one is installed (followed by "\r\n") and
// then to the console listeners (console_listeners.h).
#pragma once

#include <string_view>

class LogFileWriter;

// Installs the log-file sink (null: none, as at start); the caller keeps it alive while it
// is installed.
void SetLogFileSink(LogFileWriter* sink);

// Writes the line and a line feed.
void WriteConsoleText(std::string_view line);

// printf-style narrow console text.
void PrintConsoleText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// printf-style UTF-8 text (pass UTF-16 arguments through UTF16ToUTF8); a character
// without a console byte prints as "?", an invalid UTF-8 byte too.
void PrintConsoleMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
