// The interpreter's process-wide state that natives and constructors read: the thread being
// run (null outside any run) and the host's optional exception hook. The current context is
// GSContext::Current(). The run budget and the execution switch belong here as well: the
// budget counts the code bytes run since the outermost run began, and the switch, on from
// the start, lets a host hold every thread (each run then answers ER_Blocked at once). All
// script execution of a process happens on one OS thread at a time, so none of this is
// locked.
#pragma once

#include <cstdint>

class GSGameObject;
class GSStack;
class GSThread;

// Told of every thread exception: the text, the thread's stack, the game object concerned
// (or null) and whether the thread goes on.
using GSExceptionHook = void (*)(const char* text, GSStack* stack, GSGameObject* gameObject,
                                 bool continueRunning);

extern GSThread* g_gsCurrentThread;
extern GSExceptionHook g_gsExceptionHook;

// Code bytes an outermost run (with the runs nested in it) may execute before it ends with
// ER_Timeout.
inline constexpr uint64_t kGSRunBudget = uint64_t{1} << 24;

// The execution switch; nothing in the program turns it off, a host may.
void GSSetExecutionEnabled(bool enabled);
bool GSExecutionEnabled();
// The code bytes counted since the last outermost run began (kept after it ends).
uint64_t GSRunBudgetUsed();
// The number of GSThread::Execute calls in progress.
int GSRunDepth();
