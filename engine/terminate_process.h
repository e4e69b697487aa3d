// Ending the process the way the tool's design ends it: flush standard output and standard
// error, then leave at once with the given code, so static destructors do not run. A Linux
// parent sees the code modulo 256 (-1 is 255, -100 is 156).
#pragma once

namespace Kiv {

[[noreturn]] void TerminateProcess(int code);

// For signal handlers: no flushing, only async-signal-safe calls.
[[noreturn]] void TerminateProcessFromSignal(int code);

}  // namespace Kiv
