// The fault handlers: a fault signal (segmentation fault, bus error, arithmetic fault,
// illegal instruction) on any thread ends the process. They run on the faulting thread's
// alternate signal stack (every thread the program starts has one), so that a stack
// overflow is caught too, and they hold the console critical section (bounded) from the
// fault to the end, so no other thread prints after it. Whether a crash report is written
// first is a separate choice: ordinary commands write none, the command host does.
#pragma once

// Installs the handlers; later calls do nothing. Process-wide, never removed.
void InstallFaultHandlers();

// How the process ends after a fault: with this exit code, as the guarded run of a command
// asks (-100). Until it is set, the process ends by the fault signal itself, as it would
// without a handler.
void SetFaultExitCode(int code);

// Whether a fault writes the crash report (crash_report.h) before the process ends. Off
// until someone asks; the command host turns it on as it installs its crash handlers.
enum class FaultReport { kNone, kWrite };
void ChooseFaultReport(FaultReport report);
