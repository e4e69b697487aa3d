// Taking the console critical section from a crash: a bounded spin of try_lock calls, never a
// blocking wait, because the thread that holds it may be the one that died (or be stopped
// forever behind it) and a crash must end the process, not hang it. The same thread may
// hold it already; the section is re-entrant, so that try succeeds at once.
#pragma once

// True when the section was taken (the caller unlocks it, or ends the process holding it);
// false after about 100 ms of tries. Signal-safe in practice: try_lock is one atomic
// compare-and-swap, and the pauses are nanosleep.
bool TakeConsoleCriticalSectionBriefly();
