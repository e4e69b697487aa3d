// The installed script-system set-up and whether it has succeeded (script_system_seam.h).
#include "validation/darodi/script_system_seam.h"

#include <atomic>

namespace {

std::atomic<ScriptSystemSetUp> g_setUp{nullptr};
std::atomic<bool> g_ready{false};

} // namespace

void SetScriptSystemSetUp(ScriptSystemSetUp setUp) {
    g_setUp.store(setUp);
    g_ready.store(false);
}

bool EnsureScriptSystem() {
    if (g_ready.load()) return true;
    const ScriptSystemSetUp setUp = g_setUp.load();
    g_ready.store(setUp && setUp());
    return g_ready.load();
}
