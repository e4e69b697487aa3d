// The engine log. Kiv::Log::GetClient hands out one Kiv::LogClient per name for the whole
// process (safe during static initialisation); clients format lines and pass them to the
// sinks that Kiv::Log::Init chose from the options: "-LogStdOut" writes them to standard
// output, "-LogFile=<path>" appends them to that file, and "/dev/null" or neither option
// drops them. Until Init, lines are dropped. Each line is written whole, under one lock,
// and flushed at once.
#pragma once

#include <string>

#include "engine/options.h"

namespace Kiv {

class LogClient {
public:
    explicit LogClient(const char* name) : name_(name ? name : "") {}
    const char* GetName() const { return name_.c_str(); }
    // Kept for callers; every level is written.
    void SetLevel(int level) { level_ = level; }
    int GetLevel() const { return level_; }
    // One printf-style line; a line end is added when the text has none.
    void OutputString(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    std::string name_;
    int level_ = 0;
};

class Log {
public:
    // Chooses the sinks; false (and no file sink) when the log file cannot be opened.
    static bool Init(const Options& options);
    // The client of that name, made on first use; never null, never freed.
    static LogClient* GetClient(const char* name);
    // Closes the log file; lines are dropped until the next Init.
    static void Shutdown();
};

}  // namespace Kiv
