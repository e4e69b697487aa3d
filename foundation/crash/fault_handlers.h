// The fault handlers: a fault signal (segmentation fault, bus error, arithmetic fault,
// illegal instruction) on any thread writes the crash report and ends the process. They run
// on an alternate stack of the installing thread, so that a stack overflow there is caught
// too, and they hold the console critical section (bounded) from the fault to the end, so
// no other thread prints after it.
#pragma once

// Installs the handlers; later calls do nothing. Process-wide, never removed.
void InstallFaultHandlers();

// How the process ends after a fault's report: with this exit code, as the guarded run of a
// command asks (-100). Until it is set, the process ends by the fault signal itself, as it
// would without a handler.
void SetFaultExitCode(int code);
