// Stand-ins until the interpreter arrives: a thread run ends at once, and a handler method
// is not run (its Message object is released).
#include "script_runtime/gs_game_object_handler_run.h"
#include "script_runtime/gs_script_instance.h"
#include "script_runtime/gs_thread.h"

__attribute__((weak)) GSExecResult GSThread::Execute(float) { return ER_Done; }

void GSRunHandlerMethod(const GSFunction&, GSSlot*, GSSlot* message) { GSReleaseReference(message); }
