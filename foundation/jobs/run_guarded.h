// Running one job object. While a command runs (the in-command flag) and no debugger is
// attached, an exception escaping the job ends the process at once with exit code -100,
// as an exception escaping the command itself does; otherwise the job runs unguarded, so a
// debugger stops where the exception was thrown.
#pragma once

#include <cstdint>

#include "foundation/jobs/tcx_callback.h"

int32_t RunTCXCallbackGuarded(intptr_t argument, TCXCallbackBase& callback);
