// Ending the process on an error it cannot go on from. There is no message box here: the
// text goes to the engine log and to standard error, and the process ends with exit code 1
// (standard output and error flushed, no static destructors run).
#pragma once

[[noreturn]] void FatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));
