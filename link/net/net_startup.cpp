// The network layer's start count, OpenSSL set-up and the lock table of the callbacks.
// The library and its client context are set up when the context is first asked for, so a
// process that never opens a secure link does not pay for them.
// The table's size is published (atomically) only after the table exists and withdrawn
// before it goes, so a callback never indexes a table that is not there.
#include "link/net/net_startup.h"

#include <openssl/crypto.h>

#include <atomic>
#include <memory>

#include "link/net/net_resolver.h"
#include "engine/recursive_lock.h"
#include "engine/thread.h"

namespace {

struct NetLayerState {
    Kiv::CriticalSection startLock;  // guards everything below but the lock count
    int32_t startCount = 0;
    SSL_CTX* context = nullptr;
    std::unique_ptr<Kiv::CriticalSection[]> locks;
    std::unique_ptr<std::atomic<bool>[]> held;
    std::atomic<int32_t> lockCount{0};
};

NetLayerState& State() {
    static NetLayerState* const state = new NetLayerState;
    return *state;
}

void MakeLockTable(NetLayerState& s, int32_t count) {
    if (count < 0) count = 0;
    s.locks = std::make_unique<Kiv::CriticalSection[]>(static_cast<size_t>(count));
    s.held = std::make_unique<std::atomic<bool>[]>(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) s.held[i].store(false);
    s.lockCount.store(count);
}

void FreeLockTable(NetLayerState& s) {
    s.lockCount.store(0);
    s.locks.reset();
    s.held.reset();
}

}  // namespace

void NetStartup() {
    NetLayerState& s = State();
    Kiv::SingleLock guard(s.startLock);
    if (s.startCount++ > 0) return;
    MakeLockTable(s, CRYPTO_num_locks());
    CRYPTO_set_locking_callback(NetSslLockingCallback);
    CRYPTO_set_id_callback(NetThreadIdCallback);
    NetResolver::AddUser();
}

void NetShutdown() {
    NetLayerState& s = State();
    Kiv::SingleLock guard(s.startLock);
    if (s.startCount == 0 || --s.startCount > 0) return;
    NetResolver::Release();
    SSL_CTX_free(s.context);
    s.context = nullptr;
    CRYPTO_set_locking_callback(nullptr);
    CRYPTO_set_id_callback(nullptr);
    FreeLockTable(s);
}

void NetSslLockingCallback(int mode, int n, const char*, int) {
    NetLayerState& s = State();
    if (n < 0 || n >= s.lockCount.load()) return;
    if (mode & kNetSslLock) {
        s.locks[n].Lock();
        s.held[n].store(true);
        return;
    }
    if (!(mode & kNetSslUnlock) || !s.held[n].load()) return;
    if (!s.locks[n].IsLockedByCurrentThread()) return;
    s.held[n].store(false);
    s.locks[n].Unlock();
}

unsigned long NetThreadIdCallback() { return Kiv::Thread::GetCurrentId(); }

int32_t NetStartCount() {
    NetLayerState& s = State();
    Kiv::SingleLock guard(s.startLock);
    return s.startCount;
}

int32_t NetSslLockCount() { return State().lockCount.load(); }

SSL_CTX* NetSslClientContext() {
    NetLayerState& s = State();
    Kiv::SingleLock guard(s.startLock);
    if (s.startCount == 0 || s.context) return s.context;
    OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr);
    s.context = SSL_CTX_new(TLS_client_method());
    return s.context;
}
