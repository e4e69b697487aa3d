// FatalError: log, standard error, process end.
#include "foundation/console/fatal_error.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "engine/terminate_process.h"
#include "foundation/text/format_text.h"
#include "foundation/console/log_message.h"

void FatalError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = FormatText(format, args);
    va_end(args);
    LogMessage("%s", text.c_str());
    std::fprintf(stderr, "%s\n", text.c_str());
    Kiv::TerminateProcess(1);
}
