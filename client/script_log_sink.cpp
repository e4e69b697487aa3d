// The sink for the script machine's log lines: formatted into a 16,384-byte buffer (longer
// text is cut) and handed to the engine log as "ScriptLog> <text>".
#include <cstdio>

#include "client/kodrin_util.h"
#include "foundation/console/log_message.h"

namespace KodrinUtil {

void ScriptLogSink(const char* format, ...) {
    char buffer[16384];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    buffer[sizeof buffer - 1] = '\0';
    LogMessage("ScriptLog> %s", buffer);
}

}  // namespace KodrinUtil
