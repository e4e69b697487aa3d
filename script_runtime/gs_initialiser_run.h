// The run of a class's member initialiser while an instance is created. The design runs it
// on the machine's static thread: save the thread's state, push `me` (one reference added),
// push a frame for the initialiser, execute to the end, restore the state.
// The interpreter and its threads do not exist yet, so the run is a stub for now:
// RunInitialiserStub executes nothing and reports ER_Done, which leaves every member at zero
// (the state before any initialiser statement). The runner is a hook so that the
// interpreter can take the run over, and so that tests can stand in for it.
#pragma once

#include "script_runtime/gs_slot.h"

struct GSFunction;

// ER_Done, the only result of a completed run.
inline constexpr int kGSExecDone = 0;

// Runs the initialiser with `me`, the view of the class that declares it; `me` is lent
// for the run (RunGSInitialiser holds a reference around it). The result is an exec result.
using GSInitialiserRunner = int (*)(const GSFunction& initialiser, GSSlot* me);

int RunInitialiserStub(const GSFunction& initialiser, GSSlot* me);
void SetGSInitialiserRunner(GSInitialiserRunner runner);
int RunGSInitialiser(const GSFunction& initialiser, GSSlot* me);
