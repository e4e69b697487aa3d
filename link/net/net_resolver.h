// NetResolver: host names to IPv4 socket addresses. One worker thread serves a queue of
// requests in arrival order while callers wait on their own request's event for a bounded
// time; a request withdrawn after its time-out simply misses its late result. The worker
// lives only while requests are queued and the network layer has users; the next request
// starts another. Stopping a worker never holds the resolver lock while it waits, because
// a worker inside a lookup needs that lock to finish.
#pragma once

#include <netinet/in.h>

#include <cstdint>

#include "engine/string.h"

class NetResolver {
public:
    // A lookup of a name other than "localhost"; fills the address and answers success.
    using Lookup = bool (*)(const char* host, in_addr* address);

    // Synchronous; used by the worker. The out address always gets the family and the port
    // in network byte order; the address itself only on success.
    static bool Resolve(const Kiv::String& host, uint16_t port, sockaddr_in* out);
    // Queues the name for the worker and waits at most NetTimeouts::ResolveMs. False without
    // a result in time, and always false while the layer has no users.
    static bool ResolveAsync(const Kiv::String& host, uint16_t port, sockaddr_in* out);

    static void AddUser();
    // Removes one user (never below zero); the last one stops the worker.
    static void Release();
    // Waits for the current worker to end and deletes it.
    static void StopWorker();

    // The system's lookup (getaddrinfo, IPv4, first address).
    static bool SystemLookup(const char* host, in_addr* address);
    // Replaces the lookup (tests make slow or failing ones); null restores SystemLookup.
    static void SetLookup(Lookup lookup);

    static int32_t UserCount();
    static bool HasWorker();

private:
    static uint32_t WorkerProc(void* generation);
};
