// The initialiser run: the reference held for `me` around the run, and the runner on the
// static thread.
#include "script_runtime/gs_initialiser_run.h"

#include "script_runtime/gs_function.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_runtime_call.h"
#include "script_runtime/gs_script_instance.h"

namespace {

GSInitialiserRunner g_runner = RunInitialiserOnStaticThread;

}  // namespace

int RunInitialiserOnStaticThread(const GSFunction& initialiser, GSSlot* me) {
    GSMachine* machine = initialiser.library ? initialiser.library->Machine() : nullptr;
    GSThread* thread = machine ? machine->StaticThread() : nullptr;
    if (!thread) return ER_ThreadError;
    return GSRuntime::RunNested(*thread, initialiser, me, {}, nullptr);
}

void SetGSInitialiserRunner(GSInitialiserRunner runner) {
    g_runner = runner ? runner : RunInitialiserOnStaticThread;
}

int RunGSInitialiser(const GSFunction& initialiser, GSSlot* me) {
    GSAddReference(me);
    const int result = g_runner(initialiser, me);
    GSReleaseReference(me);
    return result;
}
