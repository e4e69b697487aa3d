// KAVClient::Transact: one request from frame to reply. The frame (header and payload) is
// built in one block before the connection lock is taken and goes out in one send; a send
// that fails drops the link before the daemon holds a whole request, so the next attempt
// may send it again. After the wait the requester reads the reply on the link that carried
// its request: a link replaced meanwhile holds nothing of it.
#include <memory>
#include <new>

#include "link/kav/kav_client.h"
#include "link/kav/kav_client_state.h"
#include "link/kav/kav_client_transaction.h"
#include "link/kav/kav_daemon_launch.h"
#include "link/kav/kav_link_format.h"
#include "link/net/exact_transfer.h"
#include "foundation/streams/t_stream.h"

namespace {

constexpr int kLastAttempt = KAVStartSchedule::kAttempts - 1;

// One request frame in one heap block: id, transaction id, payload length, then the
// payload, which is the request stream from its position to its end.
struct RequestFrame {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
};

// False for a payload that cannot be read whole or is longer than a frame may be.
bool BuildFrame(int32_t requestId, uint32_t transactionId, TStream& request,
                RequestFrame& frame) {
    const int64_t length = request.Size() - request.Tell();
    if (length < 0 || length > KAVLink::kMaxFrameLength) return false;
    frame.size = KAVLink::kRequestHeaderSize + static_cast<size_t>(length);
    frame.bytes.reset(new (std::nothrow) uint8_t[frame.size]);
    if (!frame.bytes) return false;
    uint8_t* header = frame.bytes.get();
    StoreLittleEndian(static_cast<uint32_t>(requestId), header, 4);
    StoreLittleEndian(transactionId, header + 4, 4);
    StoreLittleEndian(static_cast<uint32_t>(length), header + 8, 4);
    const size_t copied =
        request.ReadBytes(header + KAVLink::kRequestHeaderSize, static_cast<size_t>(length));
    return copied == static_cast<size_t>(length);
}

bool Relaunches() {
    KAVClientState& state = ClientState();
    Kiv::SingleLock hold(state.optionsLock);
    return state.options.relaunch;
}

}  // namespace

bool KAVClient::Transact(int32_t requestId, TStream& request, TStream& reply,
                         KAVQuestionHandler* handler, ResultsLog* log, bool keepLog) {
    return TransactVia(0, requestId, request, reply, handler, log, keepLog);
}

bool KAVClient::TransactOnLink(uint64_t linkSerial, int32_t requestId, TStream& request, TStream& reply) {
    return linkSerial != 0 && TransactVia(linkSerial, requestId, request, reply, nullptr, nullptr, false);
}

uint64_t KAVClient::LinkSerial() {
    KAVClientState& state = ClientState();
    Kiv::SingleLock hold(state.connectionLock);
    return state.transport && state.connected.load() ? state.linkSerial : 0;
}

// onlyLink 0: any link, made anew as the start schedule allows; otherwise that link alone.
bool KAVClient::TransactVia(uint64_t onlyLink, int32_t requestId, TStream& request, TStream& reply,
                            KAVQuestionHandler* handler, ResultsLog* log, bool keepLog) {
    // The reader cannot wait for a reply that only it could read.
    if (IsReaderThread()) return false;
    KAVClientState& state = ClientState();
    KAVClientTransaction transaction(handler, log, keepLog);
    transaction.Register();
    RequestFrame frame;
    if (!BuildFrame(requestId, transaction.Id(), request, frame)) return false;

    Kiv::SingleLock hold(state.connectionLock);
    if (!state.started.load()) return false;
    for (int attempt = 0; attempt <= kLastAttempt; ++attempt) {
        if (onlyLink != 0 && (attempt > 0 || !state.transport || !state.connected.load() ||
                              state.linkSerial != onlyLink))
            return false;
        if (!WaitBeforeAttempt(attempt)) return false;
        if (!Connect()) continue;
        transaction.PrepareSend(state.linkSerial);
        if (!SendRequestFrame(frame.bytes.get(), frame.size)) continue;
        hold.Unlock();
        if (!transaction.Wait()) return false;
        hold.Lock();
        return ReadReply(transaction, reply);
    }
    return false;
}

// Attempt 0 runs at once. Attempt 1 exists only with the relaunch byte: the daemon is
// started and given the wait; the later attempts wait as well.
bool KAVClient::WaitBeforeAttempt(int attempt) {
    if (attempt == 0) return true;
    const KAVClientEnvironment environment = CurrentEnvironment();
    if (attempt == 1) {
        if (!Relaunches()) return false;
        environment.launchDaemon();
    }
    environment.sleep(KAVStartSchedule::WaitMs());
    return true;
}

bool KAVClient::SendRequestFrame(const uint8_t* frame, size_t n) {
    if (SendExact(frame, n)) return true;
    Disconnect(true);
    return false;
}

// Called with the connection lock held, after the reader handed this transaction's reply
// over. The hand-off event is set again once the link is back in step.
bool KAVClient::ReadReply(KAVClientTransaction& transaction, TStream& reply) {
    KAVClientState& state = ClientState();
    if (!state.transport || state.linkSerial != transaction.LinkSerial()) return false;
    int32_t length = 0;
    if (!ReceiveInt32(length, true)) return false;
    if (!KAVLink::IsSaneLength(length)) {
        Disconnect(true);
        return false;
    }
    if (length == 0) {
        state.handOff.Set();
        return true;
    }
    std::unique_ptr<uint8_t[]> body(new (std::nothrow) uint8_t[static_cast<size_t>(length)]);
    if (!body) {
        Disconnect(true);
        return false;
    }
    if (!ReceiveRaw(body.get(), static_cast<size_t>(length), true)) return false;
    const size_t taken = reply.WriteBytes(body.get(), static_cast<size_t>(length));
    state.handOff.Set();
    return taken == static_cast<size_t>(length);
}
