// The in-command flag: set by the guarded run before a command runs and never cleared.
// The worker-job system reads it to decide whether an exception escaping a job ends the
// process.
#pragma once

#include <atomic>

extern std::atomic<bool> g_inCommand;
