// The resolver's process-wide state, its queue and its worker. The state is made once and
// never destroyed, so a worker still running at process exit never meets a destroyed lock.
// Each started worker carries a generation number: a worker that was stopped (its Thread
// object already taken out of the state) ends after its current lookup and leaves the
// worker-ended flag to its successor.
#include "link/net/net_resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <utility>

#include "link/net/net_timeouts.h"
#include "engine/ascii.h"
#include "engine/recursive_lock.h"
#include "engine/thread.h"
#include "engine/wevent.h"

namespace {

struct NetResolveRequest {
    NetResolveRequest(const Kiv::String& h, uint16_t p, sockaddr_in* out)
        : host(h), port(p), outAddress(out) {}

    Kiv::WEvent event{true, false};
    Kiv::String host;
    uint16_t port;
    sockaddr_in* outAddress;
    uint8_t result = 0;
};

struct ResolverState {
    Kiv::CriticalSection lock;
    int32_t userCount = 0;
    Kiv::Thread* worker = nullptr;
    bool workerEnded = false;
    uintptr_t generation = 0;
    std::deque<NetResolveRequest*> queue;
    std::atomic<NetResolver::Lookup> lookup{nullptr};
};

ResolverState& State() {
    static ResolverState* const state = new ResolverState;
    return *state;
}

// Under the lock: takes the worker out of the state and tells it to end.
Kiv::Thread* DetachWorker(ResolverState& s) {
    ++s.generation;
    s.workerEnded = false;
    return std::exchange(s.worker, nullptr);
}

// Under the lock: hands a result to the front request when it is still the one resolved.
void Deliver(ResolverState& s, const Kiv::String& host, uint16_t port,
             const sockaddr_in& address, bool resolved) {
    if (s.queue.empty()) return;
    NetResolveRequest* front = s.queue.front();
    if (!(front->host == host) || front->port != port) return;
    *front->outAddress = address;
    front->result = resolved ? 1 : 0;
    s.queue.pop_front();
    front->event.Set();
}

// Under the lock: queues the request, reaps an ended worker and starts one when needed.
bool Enqueue(ResolverState& s, NetResolveRequest* request, Kiv::Thread::Entry workerProc) {
    s.queue.push_back(request);
    if (s.workerEnded && s.worker) delete std::exchange(s.worker, nullptr);
    if (s.userCount == 0 || s.worker) return true;
    s.workerEnded = false;
    auto* worker = new Kiv::Thread(workerProc, reinterpret_cast<void*>(s.generation));
    if (worker->StartedOk()) {
        s.worker = worker;
        return true;
    }
    delete worker;
    s.queue.pop_back();
    return false;
}

}  // namespace

bool NetResolver::Resolve(const Kiv::String& host, uint16_t port, sockaddr_in* out) {
    if (!out) return false;
    *out = sockaddr_in{};
    out->sin_family = AF_INET;
    out->sin_port = htons(port);
    if (Kiv::Ascii::EqualsIgnoreCase(host.View(), "localhost")) {
        out->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return true;
    }
    if (host.IsEmpty() || host.View().find('\0') != std::string_view::npos) return false;
    Lookup lookup = State().lookup.load();
    return (lookup ? lookup : SystemLookup)(host.c_str(), &out->sin_addr);
}

bool NetResolver::SystemLookup(const char* host, in_addr* address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &list) != 0) return false;
    const bool found = list && list->ai_addrlen == sizeof(sockaddr_in);
    if (found) *address = reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr;
    freeaddrinfo(list);
    return found;
}

bool NetResolver::ResolveAsync(const Kiv::String& host, uint16_t port, sockaddr_in* out) {
    if (!out) return false;
    ResolverState& s = State();
    NetResolveRequest request(host, port, out);
    {
        Kiv::SingleLock guard(s.lock);
        if (!Enqueue(s, &request, &NetResolver::WorkerProc)) return false;
    }
    request.event.Wait(NetTimeouts::ResolveMs());
    Kiv::SingleLock guard(s.lock);
    auto queued = std::find(s.queue.begin(), s.queue.end(), &request);
    if (queued != s.queue.end()) s.queue.erase(queued);
    return request.result != 0;
}

uint32_t NetResolver::WorkerProc(void* generation) {
    const auto mine = reinterpret_cast<uintptr_t>(generation);
    ResolverState& s = State();
    Kiv::SingleLock guard(s.lock);
    while (s.userCount != 0 && s.generation == mine && !s.queue.empty()) {
        const Kiv::String host = s.queue.front()->host;
        const uint16_t port = s.queue.front()->port;
        guard.Unlock();
        sockaddr_in address{};
        const bool resolved = Resolve(host, port, &address);
        guard.Lock();
        Deliver(s, host, port, address, resolved);
    }
    if (s.generation == mine) s.workerEnded = true;
    return 0;
}

void NetResolver::AddUser() {
    ResolverState& s = State();
    Kiv::SingleLock guard(s.lock);
    ++s.userCount;
}

void NetResolver::Release() {
    ResolverState& s = State();
    Kiv::Thread* stopped = nullptr;
    {
        Kiv::SingleLock guard(s.lock);
        if (s.userCount == 0) return;
        if (--s.userCount == 0) stopped = DetachWorker(s);
    }
    delete stopped;
}

void NetResolver::StopWorker() {
    ResolverState& s = State();
    Kiv::Thread* stopped = nullptr;
    {
        Kiv::SingleLock guard(s.lock);
        stopped = DetachWorker(s);
    }
    delete stopped;
}

void NetResolver::SetLookup(Lookup lookup) { State().lookup.store(lookup); }

int32_t NetResolver::UserCount() {
    ResolverState& s = State();
    Kiv::SingleLock guard(s.lock);
    return s.userCount;
}

bool NetResolver::HasWorker() {
    ResolverState& s = State();
    Kiv::SingleLock guard(s.lock);
    return s.worker != nullptr;
}
