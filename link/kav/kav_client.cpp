// Start, shut-down and the link itself: connecting with the handshake, dropping the link,
// the exact transfers and closing the daemon. A drop from a requesting thread ends the
// reader by shutting the socket down and setting the hand-off event (it may be waiting
// there instead of reading), then joins it; the reader's exit fails the pending requests.
#include "link/kav/kav_client.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include "link/kav/kav_client_state.h"
#include "link/kav/kav_client_transaction.h"
#include "link/kav/kav_daemon_launch.h"
#include "link/kav/kav_handshake.h"
#include "link/kav/kav_link_format.h"
#include "link/kav/kav_upward_seams.h"
#include "link/net/exact_transfer.h"
#include "foundation/streams/buffer_stream.h"

namespace {

constexpr const char* kDaemonHost = "127.0.0.1";
constexpr int32_t kHighestPort = 65535;

// Requests and replies are small and answered at once: waiting to fill a segment would
// only add delay.
void DisableNagle(const TCPTransport& transport) {
    const int on = 1;
    setsockopt(transport.GetSocket(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void ResetOptions(KAVClientState& state) {
    Kiv::SingleLock hold(state.optionsLock);
    state.options = KAVClientStartOptions();
}

}  // namespace

bool KAVClient::Start(const KAVClientStartOptions& options) {
    KAVClientState& state = ClientState();
    if (state.started.load()) return true;
    {
        Kiv::SingleLock hold(state.optionsLock);
        state.options = options;
    }
    const KAVClientEnvironment environment = CurrentEnvironment();
    const bool connected =
        KAVStartSchedule::Run([] { return Connect(); }, environment.launchDaemon, environment.sleep,
                              [&state] { return state.handshakeUnanswered.load(); });
    if (!connected) {
        ResetOptions(state);
        return false;
    }
    state.started.store(true);
    if (KAVSpecRegistrySeam* specs = KAVUpwardSeams::SpecRegistry()) {
        specs->Create();
        state.specRegistryMade = true;
    }
    state.clientStarted.Set();
    return true;
}

void KAVClient::Shutdown() {
    KAVClientState& state = ClientState();
    if (!state.started.exchange(false)) return;
    Disconnect(false);
    ResetOptions(state);
    DrainIncoming();
    JoinQuestionThreads();
    if (state.specRegistryMade) {
        if (KAVSpecRegistrySeam* specs = KAVUpwardSeams::SpecRegistry()) specs->Destroy();
        state.specRegistryMade = false;
    }
}

bool KAVClient::Connect() {
    KAVClientState& state = ClientState();
    Kiv::SingleLock hold(state.connectionLock);
    if (state.transport) return true;
    const KAVClientEnvironment environment = CurrentEnvironment();
    const Kiv::File::Path databasePath = environment.databasePath();
    state.handshakeUnanswered.store(false);
    const int32_t port = environment.lookUpPort(databasePath);
    if (port <= 0 || port > kHighestPort) return false;

    state.transport = std::make_unique<TCPTransport>(kDaemonHost, static_cast<uint16_t>(port));
    DisableNagle(*state.transport);
    bool flag = true;
    {
        Kiv::SingleLock options(state.optionsLock);
        flag = state.options.handshakeFlag;
    }
    std::array<int32_t, 2> words{};
    bool unanswered = false;
    const bool answered = KAVHandshake::Exchange(state.transport.get(), flag, databasePath.View(), words, &unanswered);
    state.handshakeUnanswered.store(unanswered);
    if (!answered) {
        Disconnect(true);
        return false;
    }
    {
        Kiv::SingleLock handshake(state.handshakeLock);
        state.handshakeWords = words;
    }
    ++state.linkSerial;
    state.connected.store(true);
    state.handOff.Set();
    state.reader = std::make_unique<Kiv::Thread>(ReaderThreadProc, nullptr, true);
    if (!state.reader->StartedOk()) {
        Disconnect(true);
        return false;
    }
    state.reader->Resume();
    return true;
}

void KAVClient::Disconnect(bool abrupt) {
    if (IsReaderThread()) return;
    KAVClientState& state = ClientState();
    Kiv::SingleLock hold(state.connectionLock);
    if (state.transport) {
        if (!abrupt) {
            uint8_t goodbye[4];
            StoreLittleEndian(static_cast<uint32_t>(KAVLink::kGoodbye), goodbye, 4);
            NetSendExact(state.transport.get(), goodbye, sizeof goodbye);
        }
        state.transport->Close();
    }
    if (state.reader) {
        state.handOff.Set();
        state.reader->Terminate();
        state.reader.reset();
    }
    state.transport.reset();
    // What the reader's exit did already; repeated for a reader that never ran.
    FailAllPending();
}

void KAVClient::FailAllPending() {
    KAVClientState& state = ClientState();
    state.connected.store(false);
    state.handOff.Set();
    KAVClientTransaction::FailAll();
}

bool KAVClient::SendExact(const void* bytes, size_t n) {
    return NetSendExact(ClientState().transport.get(), bytes, n);
}

bool KAVClient::ReceiveExact(void* buffer, size_t n) {
    return NetReceiveExact(ClientState().transport.get(), buffer, n);
}

bool KAVClient::SendRaw(const void* bytes, size_t n) {
    if (SendExact(bytes, n)) return true;
    Disconnect(true);
    return false;
}

bool KAVClient::ReceiveRaw(void* buffer, size_t n, bool dropOnFailure) {
    if (ReceiveExact(buffer, n)) return true;
    if (dropOnFailure) Disconnect(true);
    return false;
}

bool KAVClient::ReceiveInt32(int32_t& value, bool dropOnFailure) {
    uint8_t word[4];
    if (!ReceiveRaw(word, sizeof word, dropOnFailure)) return false;
    value = KAVLink::LoadInt32(word);
    return true;
}

void KAVClient::CloseDaemon() {
    KAVClientState& state = ClientState();
    {
        Kiv::SingleLock hold(state.optionsLock);
        state.options.relaunch = false;
    }
    BufferStream request;
    BufferStream reply;
    // A request that never reached the daemon would leave nothing to wait for; a link lost
    // on the way is not connected any more anyway.
    if (!Transact(KAVLink::Request::kCloseDaemon, request.Stream(), reply.Stream())) return;
    const KAVClientEnvironment environment = CurrentEnvironment();
    while (state.connected.load()) environment.sleep(environment.closePollMs);
}

bool KAVClient::IsStarted() { return ClientState().started.load(); }

bool KAVClient::IsConnected() { return ClientState().connected.load(); }

std::array<int32_t, 2> KAVClient::GetHandshakeWords() {
    KAVClientState& state = ClientState();
    Kiv::SingleLock hold(state.handshakeLock);
    return state.handshakeWords;
}

void KAVClient::SetCommandHostCallback(KAVCommandHostCallback callback, uint64_t linkSerial) {
    ClientState().commandHostLink.store(linkSerial);
    ClientState().commandHostCallback.store(callback);
}

void KAVClient::SetEnvironment(const KAVClientEnvironment& environment) {
    KAVClientState& state = ClientState();
    Kiv::SingleLock hold(state.environmentLock);
    state.environment = environment;
}

void KAVClient::ResetEnvironment() { SetEnvironment(KAVClientEnvironment::Defaults()); }
