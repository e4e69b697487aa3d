// The fault signals that stand for the structured exceptions of the original platform. One
// table: the fault handlers install themselves for every row, and the crash report names
// the signal from it.
#pragma once

#include <csignal>

struct FaultSignal {
    int number;
    const char* name;         // as the report prints it
    const char* description;  // what went wrong, in words
};

inline constexpr FaultSignal kFaultSignals[] = {
    {SIGSEGV, "SIGSEGV", "segmentation fault"},
    {SIGBUS, "SIGBUS", "bus error"},
    {SIGFPE, "SIGFPE", "arithmetic fault"},
    {SIGILL, "SIGILL", "illegal instruction"},
};

// The row of a signal number, or nullptr.
inline const FaultSignal* FindFaultSignal(int number) {
    for (const FaultSignal& row : kFaultSignals)
        if (row.number == number) return &row;
    return nullptr;
}
