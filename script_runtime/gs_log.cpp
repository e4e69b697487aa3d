// The log hook and the formatting in front of it.
#include "script_runtime/gs_log.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

GSLogFunction g_hook = nullptr;

}  // namespace

void SetGSLogHook(GSLogFunction hook) { g_hook = hook; }

void GSLog(const char* format, ...) {
    if (!g_hook) return;
    va_list arguments;
    va_start(arguments, format);
    va_list counting;
    va_copy(counting, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, counting);
    va_end(counting);
    std::vector<char> text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size(), format, arguments);
    va_end(arguments);
    g_hook("%s", text.data());
}
