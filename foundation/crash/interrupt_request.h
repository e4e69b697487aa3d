// A run that holds the user's files in a state of its own for a while (renamed aside, say)
// must not be ended midway by Ctrl+C or a shut-down. While an InterruptRequestScope lives,
// SIGINT and SIGTERM only set a flag; the run reads it at its safe points
// (IsInterruptRequested), stops starting new work, puts every file back and fails. The
// handler only stores into a lock-free atomic, so it is safe on any thread; the handlers
// that were installed before come back when the scope ends.
#pragma once

#include <csignal>

class InterruptRequestScope {
public:
    // Clears the flag and installs the handlers; the end of the scope puts the old handlers
    // back and clears the flag again.
    InterruptRequestScope();
    ~InterruptRequestScope();
    InterruptRequestScope(const InterruptRequestScope&) = delete;
    InterruptRequestScope& operator=(const InterruptRequestScope&) = delete;

private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};

// True once SIGINT or SIGTERM arrived inside the scope that is alive.
bool IsInterruptRequested();
