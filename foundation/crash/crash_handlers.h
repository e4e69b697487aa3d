// The crash handlers of the command host: while its loop runs, a fault writes one crash
// report and ends the process, an exit writes a report, and a console control event
// (console_signals.h) asks the loop to stop instead of killing the process; a close or
// shut-down waits until the loop has ended. Ordinary commands do not install them: their
// guarded run installs only the fault handlers, which then end the process without a report.
#pragma once

// Stores whether the host loop has ended already, marks the handlers installed, chooses
// crash reports for faults, and installs the fault handlers, the exit hook and the console
// signal thread.
void InstallCrashHandlers(bool hostLoopEnded);

// Marks the handlers not installed and the host loop ended: a normal exit writes no report,
// a console event ends the process by its signal, and a waiting close goes on.
void ResetCrashHandlers();

// True after a console control event arrived while the host loop ran.
bool IsConsoleCloseRequested();

// A terminal has no Close item in a system menu; closing it arrives as SIGHUP, which waits
// for the host loop like the menu's Close would. Nothing to do.
inline void RemoveConsoleCloseMenuItem() {}

// At process exit: a report of the state, when the handlers are still installed.
void CrashAtExitHook();

// The handler of one console control event (0 Ctrl+C, 1 Ctrl+Break, 2 close, 5 log-off,
// 6 shut-down); false when the process should end by the event's default handling.
bool ConsoleControlHandler(int controlType);
