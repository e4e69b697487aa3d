// The crash report: what a minidump was on the original platform, written here as text
// ("Kodrin-49933.dmp", made unique with "_2", "_3"... in the current folder) with the
// signal, the faulting address, process and thread ids, the backtrace and the memory map.
// Everything in it is signal-safe, so the fault handlers write it from the faulting thread.
// Only one report is written per process.
#pragma once

#include <cstdint>

struct FaultDetails {
    int signal = 0;
    int code = 0;            // si_code of the signal
    uintptr_t address = 0;   // the address that faulted
    bool requested = false;  // RaiseAccessViolation, not a fault
    int sender = 0;          // the process that sent the signal (code <= 0), else 0
};

// Writes the report for the first call of the process; a later call (another faulting
// thread) writes nothing, but waits up to about two seconds while the first report is
// still being written, so that ending the process does not cut it short. The caller holds
// the console critical section (bounded_console_lock.h) when it can.
void CreateMiniDump(const FaultDetails& details);

// Writes a report of the current state as if address 0 had been written to, and returns:
// the process goes on.
void RaiseAccessViolation();

// Loads what the backtrace needs ahead of time (its first use may allocate), so that a
// report made inside a signal handler does not. Installers call it once.
void PrepareCrashReport();

// The report's file name: "Kodrin-" and the build number, then ".dmp".
const char* CrashReportName();
