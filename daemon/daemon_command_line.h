// The settings of bin/kavdaemon, from its arguments and, for those not given there, from
// its environment (the client starts the daemon without arguments, so tests that let the
// client launch it set the environment). main.cpp documents the names.
#pragma once

#include <chrono>
#include <string>

struct DaemonCommandLine {
    std::string scriptPath;
    std::string recordPath;
    std::chrono::milliseconds idleTime = std::chrono::minutes(5);
};

// lookup answers an environment variable's value, or null. False, with a message in error,
// for an unknown argument, a missing value or an idle time that is not a number of
// milliseconds from 0 to one year.
bool ParseDaemonCommandLine(int argc, const char* const* argv,
                            const char* (*lookup)(const char* name), DaemonCommandLine& out,
                            std::string& error);
