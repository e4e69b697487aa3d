// The run of a class's member initialiser while an instance is created: a nested run on the
// machine's static thread (save the thread's state, push `me` with a reference, push a frame
// for the initialiser, execute to the end, restore the state). The runner is a hook so that
// tests can stand in for it.
#pragma once

#include "script_runtime/gs_slot.h"

struct GSFunction;

// ER_Done, the only result of a completed run.
inline constexpr int kGSExecDone = 0;

// Runs the initialiser with `me`, the view of the class that declares it; `me` is lent
// for the run (RunGSInitialiser holds a reference around it). The result is an exec result.
using GSInitialiserRunner = int (*)(const GSFunction& initialiser, GSSlot* me);

// The runner on the static thread of the initialiser's machine.
int RunInitialiserOnStaticThread(const GSFunction& initialiser, GSSlot* me);
// Null puts the static-thread runner back.
void SetGSInitialiserRunner(GSInitialiserRunner runner);
int RunGSInitialiser(const GSFunction& initialiser, GSSlot* me);
