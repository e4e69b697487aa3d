// Console control events arrive as signals: SIGINT is Ctrl+C (control type 0), SIGQUIT
// Ctrl+Break (1), SIGHUP the closing of the terminal (2) and SIGTERM a shut-down (6). The
// signal handler only writes the signal number into a pipe; one signal thread reads it and
// calls the control handler, so the handler may print, lock and wait like any thread.
#pragma once

// Returns true when it handled the event; false asks for the default handling, which ends
// the process by the signal.
using ConsoleControlFunction = bool (*)(int controlType);

// Starts the signal thread and installs the signal handlers; later calls do nothing.
void StartConsoleSignalThread(ConsoleControlFunction handler);
