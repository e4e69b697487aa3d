// Sinks and clients of the engine log. The sink state and the client table are made on
// first use and never destroyed, so static objects may log at any time.
#include "engine/log.h"

#include "engine/format.h"

#include <cstdarg>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "engine/path_policy.h"

namespace Kiv {

namespace {

struct Sinks {
    std::mutex mutex;
    bool toStdout = false;
    FILE* file = nullptr;
    std::map<std::string, std::unique_ptr<LogClient>> clients;
};

Sinks& TheSinks() {
    static auto* sinks = new Sinks;
    return *sinks;
}

void CloseFile(Sinks& sinks) {
    if (sinks.file) std::fclose(sinks.file);
    sinks.file = nullptr;
}

void WriteLine(const std::string& line) {
    Sinks& sinks = TheSinks();
    std::lock_guard<std::mutex> guard(sinks.mutex);
    if (sinks.toStdout) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
    if (sinks.file) {
        std::fwrite(line.data(), 1, line.size(), sinks.file);
        std::fflush(sinks.file);
    }
}

}  // namespace

void LogClient::OutputString(const char* format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    std::string line = FormatV(format, args);
    va_end(args);
    if (line.empty() || line.back() != '\n') line += '\n';
    WriteLine(line);
}

bool Log::Init(const Options& options) {
    Sinks& sinks = TheSinks();
    std::lock_guard<std::mutex> guard(sinks.mutex);
    CloseFile(sinks);
    sinks.toStdout = options.Has("LogStdOut");
    const char* path = options.Get("LogFile");
    if (!path || !*path) return true;
    std::string real = PathPolicy::Resolve(path);
    if (real == "/dev/null") return true;
    sinks.file = std::fopen(real.c_str(), "ae");
    return sinks.file != nullptr;
}

LogClient* Log::GetClient(const char* name) {
    Sinks& sinks = TheSinks();
    std::lock_guard<std::mutex> guard(sinks.mutex);
    std::string key(name ? name : "");
    std::unique_ptr<LogClient>& client = sinks.clients[key];
    if (!client) client = std::make_unique<LogClient>(key.c_str());
    return client.get();
}

void Log::Shutdown() {
    Sinks& sinks = TheSinks();
    std::lock_guard<std::mutex> guard(sinks.mutex);
    CloseFile(sinks);
    sinks.toStdout = false;
}

}  // namespace Kiv
