// Writing the current call stack to the console: the return addresses in one line, then one
// line per frame with module, function, source file and line. Frames are resolved with
// dladdr from the dynamic symbol tables, so a function shows its (demangled) name when its
// module exports it; the program is linked to export its own. Source files and lines need
// debug information that is not read here, so they stay "<unknown>" and 0.
#pragma once

#include <string>

struct CallStackFrameInfo {
    std::string module = "<unknown>";
    std::string function = "<unknown>";
    std::string file = "<unknown>";
    int line = 0;
};

// What is known of one return address.
CallStackFrameInfo ResolveCallStackFrame(const void* address);

// Prints "callstack: " with up to 64 return addresses of the calling thread, then
// "  <module> <function> [<file>:<line>]" for each, all under the console critical section.
void LogCallStack();
