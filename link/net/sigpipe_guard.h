// NetSigpipeGuard: blocks SIGPIPE on the calling thread for the length of a scope. The
// OpenSSL socket layer writes with plain write(), which would raise SIGPIPE when the peer
// went away; under the guard such a write fails with EPIPE instead, and the signal it
// raised is taken off again (one that was pending before the scope is left alone).
#pragma once

#include <signal.h>

class NetSigpipeGuard {
public:
    NetSigpipeGuard();
    ~NetSigpipeGuard();
    NetSigpipeGuard(const NetSigpipeGuard&) = delete;
    NetSigpipeGuard& operator=(const NetSigpipeGuard&) = delete;

private:
    sigset_t previous_;
    bool wasPending_;
};
