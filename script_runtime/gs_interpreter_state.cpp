// The interpreter's process-wide state (see the header); the budget and depth are written
// by the interpreter through gs_interpreter.h.
#include "script_runtime/gs_interpreter.h"

GSThread* g_gsCurrentThread = nullptr;
GSExceptionHook g_gsExceptionHook = nullptr;

namespace GSInterpreter {
uint64_t g_budgetUsed = 0;
int g_runDepth = 0;
bool g_executionEnabled = true;
}  // namespace GSInterpreter

void GSSetExecutionEnabled(bool enabled) { GSInterpreter::g_executionEnabled = enabled; }

bool GSExecutionEnabled() { return GSInterpreter::g_executionEnabled; }

uint64_t GSRunBudgetUsed() { return GSInterpreter::g_budgetUsed; }

int GSRunDepth() { return GSInterpreter::g_runDepth; }
