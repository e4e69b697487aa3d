// The daemon client's process-wide state, shared by the files of KAVClient. The connection
// lock guards the transport, the reader and the link serial; the reader itself never takes
// it, so a requester holding it may join the reader. The transport pointer changes only
// while no reader runs, which lets the reader use it without the lock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "link/kav/kav_client.h"
#include "link/kav/kav_incoming_message.h"
#include "link/net/tcp_transport.h"
#include "engine/recursive_lock.h"
#include "engine/thread.h"
#include "engine/wevent.h"

struct KAVClientState {
    KAVClientState();

    Kiv::CriticalSection optionsLock;
    KAVClientStartOptions options;
    std::atomic<bool> started{false};
    std::atomic<bool> connected{false};

    Kiv::CriticalSection connectionLock;
    std::unique_ptr<TCPTransport> transport;
    std::unique_ptr<Kiv::Thread> reader;
    uint64_t linkSerial = 0;  // counts the links made; a reply belongs to the one it came on
    Kiv::WEvent handOff{true, false};

    std::atomic<bool> handshakeUnanswered{false};  // the last attempt met a silent daemon
    Kiv::CriticalSection handshakeLock;
    std::array<int32_t, 2> handshakeWords{};

    Kiv::CriticalSection incomingLock;
    std::deque<std::unique_ptr<KAVIncomingMessage>> incoming;

    std::atomic<KAVCommandHostCallback> commandHostCallback{nullptr};
    std::atomic<uint64_t> commandHostLink{0};  // the link the host's replies go out on
    Kiv::WEvent clientStarted{true, false};
    bool specRegistryMade = false;  // the spec registry seam made one at Start

    Kiv::CriticalSection questionsLock;
    std::vector<std::unique_ptr<Kiv::Thread>> questionThreads;

    Kiv::CriticalSection environmentLock;
    KAVClientEnvironment environment;

    bool pumpClockStarted = false;  // main thread only
    double pumpClockStart = 0.0;
};

// Never destroyed: the reader and question threads may outlive static destruction.
KAVClientState& ClientState();
// The environment in use, copied under its lock.
KAVClientEnvironment CurrentEnvironment();
// True on the link's reader thread.
bool IsReaderThread();
void MarkReaderThread();
