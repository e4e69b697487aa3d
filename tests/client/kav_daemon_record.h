// What the client's process tests use to watch the real stand-in daemon: its record file
// (one line per link event, written by the daemon's threads, so tests wait for lines), a
// bounded wait, and environment variables set for a test's life, which the daemon that
// the client launches inherits (KAVDAEMON_RECORD, KAVDAEMON_SCRIPT).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// How long anything in these tests may take before it counts as a hang.
inline constexpr std::chrono::seconds kProcessTestBound{10};

// Polls until the condition holds, at most kProcessTestBound.
template <typename Condition>
bool WaitUntilWithinBound(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + kProcessTestBound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

inline size_t CountRecordLines(const std::string& path, const std::string& prefix) {
    std::ifstream in(path);
    size_t count = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) ++count;
    }
    return count;
}

class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* previous = std::getenv(name)) previous_ = previous;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (previous_) {
            setenv(name_, previous_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};
