// The flag and the two handlers of an interrupt request scope.
#include "foundation/crash/interrupt_request.h"

#include <atomic>

namespace {

std::atomic<bool> g_interruptRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnInterrupt(int) { g_interruptRequested.store(true); }

}  // namespace

InterruptRequestScope::InterruptRequestScope() {
    g_interruptRequested.store(false);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInterrupt_);
    sigaction(SIGTERM, &action, &previousTerminate_);
}

InterruptRequestScope::~InterruptRequestScope() {
    sigaction(SIGINT, &previousInterrupt_, nullptr);
    sigaction(SIGTERM, &previousTerminate_, nullptr);
    g_interruptRequested.store(false);
}

bool IsInterruptRequested() { return g_interruptRequested.load(); }
