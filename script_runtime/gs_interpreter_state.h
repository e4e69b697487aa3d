// The interpreter's process-wide state that natives and constructors read: the thread being
// run (null outside any run) and the host's optional exception hook. The current context is
// GSContext::Current(). All script execution of a process happens on one OS thread at a
// time, so none of this is locked.
#pragma once

class GSGameObject;
class GSStack;
class GSThread;

// Told of every thread exception: the text, the thread's stack, the game object concerned
// (or null) and whether the thread goes on.
using GSExceptionHook = void (*)(const char* text, GSStack* stack, GSGameObject* gameObject,
                                 bool continueRunning);

extern GSThread* g_gsCurrentThread;
extern GSExceptionHook g_gsExceptionHook;
