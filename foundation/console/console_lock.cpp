// The lock is made on first use and never destroyed, so static initialisers and exit
// handlers may print.
#include "foundation/console/console_lock.h"

std::recursive_timed_mutex& ConsoleCriticalSection() {
    static auto* section = new std::recursive_timed_mutex;
    return *section;
}
