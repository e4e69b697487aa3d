// backtrace for the addresses, dladdr and the C++ demangler for the names. The address line
// keeps to 511 characters; the main program's module is named by its resolved path, as the
// loader gives it no name.
#include "foundation/crash/call_stack.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <mutex>
#include <unistd.h>

#include "foundation/console/console.h"
#include "foundation/console/console_lock.h"

namespace {

constexpr int kMaxFrames = 64;
constexpr size_t kMaxAddressText = 511;

std::string OwnProgramPath() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

std::string Demangled(const char* name) {
    int status = 0;
    char* plain = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    if (!plain) return name;
    std::string result(plain);
    std::free(plain);
    return result;
}

std::string AddressText(void* const* frames, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        char one[24];
        std::snprintf(one, sizeof one, "0x%" PRIxPTR " ", reinterpret_cast<uintptr_t>(frames[i]));
        if (text.size() + std::char_traits<char>::length(one) > kMaxAddressText) break;
        text += one;
    }
    return text;
}

}  // namespace

CallStackFrameInfo ResolveCallStackFrame(const void* address) {
    CallStackFrameInfo frame;
    Dl_info info{};
    if (!dladdr(address, &info)) return frame;
    if (info.dli_fname && *info.dli_fname) {
        frame.module = info.dli_fname;
    } else if (std::string own = OwnProgramPath(); !own.empty()) {
        frame.module = own;
    }
    if (info.dli_sname) frame.function = Demangled(info.dli_sname);
    return frame;
}

void LogCallStack() {
    void* frames[kMaxFrames];
    int count = backtrace(frames, kMaxFrames);
    std::lock_guard<std::recursive_timed_mutex> lock(ConsoleCriticalSection());
    PrintConsoleText("callstack: %s", AddressText(frames, count).c_str());
    for (int i = 0; i < count; ++i) {
        CallStackFrameInfo frame = ResolveCallStackFrame(frames[i]);
        PrintConsoleText("  %s %s [%s:%d]", frame.module.c_str(), frame.function.c_str(),
                         frame.file.c_str(), frame.line);
    }
}
