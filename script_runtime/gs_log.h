// The script runtime's log hook: one process-wide printf-style function through which every
// message of the machine, the loader and the linker goes. Null drops the messages; the
// program's entry points it at its "ScriptLog> %s" sink.
#pragma once

using GSLogFunction = void (*)(const char* format, ...);

void SetGSLogHook(GSLogFunction hook);
// Formats and passes one message to the hook, if there is one.
void GSLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
