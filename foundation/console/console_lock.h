// The process-wide console critical section. Every console line is written under it, so
// lines from the main thread, worker jobs and the daemon link's threads never interleave.
// It is re-entrant, and timed so that the crash handler can take it with a bounded try
// (try_lock_for) instead of waiting on a thread that died holding it.
#pragma once

#include <mutex>

std::recursive_timed_mutex& ConsoleCriticalSection();
