// The installed script-system set-up.
#include "validation/script_system_seam.h"

namespace {

ValidationScriptSystemSeam* g_scriptSystem = nullptr;

}  // namespace

namespace ValidationUpwardSeams {

void SetScriptSystem(ValidationScriptSystemSeam* seam) { g_scriptSystem = seam; }

ValidationScriptSystemSeam* ScriptSystem() { return g_scriptSystem; }

bool InitScriptSystem() { return g_scriptSystem && g_scriptSystem->InitScriptSystem(); }

}  // namespace ValidationUpwardSeams
