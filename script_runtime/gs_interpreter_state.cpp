// The interpreter's process-wide state (see the header).
#include "script_runtime/gs_interpreter_state.h"

GSThread* g_gsCurrentThread = nullptr;
GSExceptionHook g_gsExceptionHook = nullptr;
