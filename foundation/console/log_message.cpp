// The client is fetched once, at static initialisation or first use; LogMessage takes no
// lock of its own (the engine log writes each line whole).
#include "foundation/console/log_message.h"

#include <cstdarg>
#include <string>

#include "engine/log.h"
#include "foundation/text/format_text.h"

namespace {

Kiv::LogClient& KodrinLog() {
    static Kiv::LogClient* client = Kiv::Log::GetClient("Kodrin");
    return *client;
}

[[maybe_unused]] Kiv::LogClient& kFetchedBeforeEntry = KodrinLog();

}  // namespace

void LogMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = FormatText(format, args);
    va_end(args);
    Kiv::LogClient& log = KodrinLog();
    log.SetLevel(2);
    log.OutputString("%s", text.c_str());
}
