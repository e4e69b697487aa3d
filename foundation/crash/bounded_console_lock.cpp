// 100 tries, 1 ms apart.
#include "foundation/crash/bounded_console_lock.h"

#include <ctime>

#include "foundation/console/console_lock.h"

namespace {

constexpr int kTries = 100;
constexpr long kPauseNanoseconds = 1000 * 1000;

}  // namespace

bool TakeConsoleCriticalSectionBriefly() {
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (ConsoleCriticalSection().try_lock()) return true;
        timespec pause{0, kPauseNanoseconds};
        nanosleep(&pause, nullptr);
    }
    return false;
}
