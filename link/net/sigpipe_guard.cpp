// The SIGPIPE mask of one scope on one thread.
#include "link/net/sigpipe_guard.h"

#include <pthread.h>

#include <ctime>

namespace {

sigset_t PipeSignal() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

bool PipeSignalPending() {
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

NetSigpipeGuard::NetSigpipeGuard() {
    const sigset_t pipe = PipeSignal();
    pthread_sigmask(SIG_BLOCK, &pipe, &previous_);
    wasPending_ = PipeSignalPending();
}

NetSigpipeGuard::~NetSigpipeGuard() {
    if (!wasPending_ && PipeSignalPending()) {
        const sigset_t pipe = PipeSignal();
        const timespec noWait{};
        sigtimedwait(&pipe, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}
