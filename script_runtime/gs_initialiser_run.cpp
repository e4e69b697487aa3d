// The initialiser run: the reference held for `me` around the run, and the stub runner.
#include "script_runtime/gs_initialiser_run.h"

#include "script_runtime/gs_script_instance.h"

namespace {

GSInitialiserRunner g_runner = RunInitialiserStub;

}  // namespace

int RunInitialiserStub(const GSFunction&, GSSlot*) { return kGSExecDone; }

void SetGSInitialiserRunner(GSInitialiserRunner runner) { g_runner = runner ? runner : RunInitialiserStub; }

int RunGSInitialiser(const GSFunction& initialiser, GSSlot* me) {
    GSAddReference(me);
    const int result = g_runner(initialiser, me);
    GSReleaseReference(me);
    return result;
}
