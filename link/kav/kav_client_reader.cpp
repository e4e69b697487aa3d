// The link's reader thread: takes the daemon's frames off the link one at a time, between
// waits on the hand-off event. A 'repl' for a registered transaction is handed to its
// requester, which reads the length and body and sets the event again; one for no
// registered transaction is read and discarded here, which keeps the link in step. Any
// failure, a length out of bounds or an unknown tag ends the reader, and its exit drops
// the link and fails every request on it.
#include <algorithm>

#include "link/kav/kav_client.h"
#include "link/kav/kav_client_state.h"
#include "link/kav/kav_client_transaction.h"
#include "link/kav/kav_link_format.h"
#include "link/net/exact_transfer.h"

uint32_t KAVClient::ReaderThreadProc(void*) {
    MarkReaderThread();
    KAVClientState& state = ClientState();
    Kiv::Thread& self = *state.reader;
    while (!self.IsDone()) {
        state.handOff.Wait();
        if (self.IsDone() || !state.transport) break;
        int32_t tag = 0;
        if (!ReceiveInt32(tag, true)) break;
        if (tag == KAVLink::kNoteTag) {
            if (!ReadNoteFrame()) break;
        } else if (tag == KAVLink::kReplyTag) {
            if (!ReadReplyFrame()) break;
        } else {
            break;
        }
    }
    state.transport->Close();
    FailAllPending();
    return 0;
}

// After the tag: the transaction id, then either the hand-over or the discarded body.
bool KAVClient::ReadReplyFrame() {
    KAVClientState& state = ClientState();
    int32_t id = 0;
    if (!ReceiveInt32(id, true)) return false;
    state.handOff.Reset();
    if (KAVClientTransaction::ReceiveReply(static_cast<uint32_t>(id))) return true;
    int32_t length = 0;
    if (!ReceiveInt32(length, true) || !KAVLink::IsSaneLength(length)) return false;
    if (!DiscardBytes(length)) return false;
    state.handOff.Set();
    return true;
}

bool KAVClient::DiscardBytes(int32_t n) {
    uint8_t piece[kNetTransferPiece];
    size_t left = static_cast<size_t>(n);
    while (left > 0) {
        const size_t step = std::min(left, sizeof piece);
        if (!ReceiveRaw(piece, step, true)) return false;
        left -= step;
    }
    return true;
}

bool KAVClient::ReadNoteFrame() {
    int32_t kind = 0;
    int32_t length = 0;
    if (!ReceiveInt32(kind, true) || !ReceiveInt32(length, true)) return false;
    if (!KAVLink::IsSaneLength(length)) return false;
    auto message = std::make_unique<KAVIncomingMessage>(kind);
    if (length > 0) {
        std::unique_ptr<uint8_t[]> payload(new (std::nothrow) uint8_t[static_cast<size_t>(length)]);
        if (!payload) return false;
        if (!ReceiveRaw(payload.get(), static_cast<size_t>(length), true)) return false;
        TBuffer& stream = message->Payload();
        if (stream.WriteBytes(payload.get(), static_cast<size_t>(length)) !=
            static_cast<size_t>(length)) {
            return false;
        }
        stream.Rewind();
    }
    QueueIncoming(std::move(message));
    return true;
}
