// The socket is shut down (which wakes a blocked recv or send) by whichever side ends
// first, and closed only in the destructor, after both threads have returned, so its
// number is never reused while a thread still uses it.
#include "daemon/daemon_connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include "daemon/link_format.h"
#include "daemon/link_frames.h"
#include "daemon/socket_io.h"

DaemonConnection::DaemonConnection(int socket, int number, DaemonConnectionHost& host)
    : socket_(socket), number_(number), host_(host), queue_(DaemonLink::kMaxQueuedBytes) {}

DaemonConnection::~DaemonConnection() {
    Abort();
    if (reader_.joinable()) reader_.join();
    if (writer_.joinable()) writer_.join();
    close(socket_);
}

void DaemonConnection::Start() {
    running_.store(2);
    reader_ = std::thread(&DaemonConnection::ReadLoop, this);
    writer_ = std::thread(&DaemonConnection::WriteLoop, this);
}

bool DaemonConnection::SendNote(const DaemonNote& note) {
    // Expected before the question leaves, so even a quick answer finds it.
    if (note.kind == kNoteQuestion && note.expectedAnswer && note.payload.size() >= 4) {
        host_.Dispatcher().ExpectAnswer(number_, LoadLittleEndian32(note.payload.data()),
                                        *note.expectedAnswer);
    }
    if (!Queue(NoteFrame(note.kind, note.payload))) return false;
    host_.Record().Line("note " + Name() + " kind=" + std::to_string(note.kind) +
                        DaemonRecord::Payload(note.payload, false));
    return true;
}

void DaemonConnection::CloseAfterFlush() {
    closing_.store(true);
    queue_.Close();
}

void DaemonConnection::Abort() {
    closing_.store(true);
    queue_.Discard();
    shutdown(socket_, SHUT_RDWR);
}

void DaemonConnection::ReadLoop() {
    if (Handshake()) {
        while (ServeRequest()) {
        }
    }
    CloseAfterFlush();
    ThreadEnded();
}

void DaemonConnection::WriteLoop() {
    WireBytes frame;
    while (queue_.Pop(frame)) {
        if (!SendAll(socket_, frame.data(), frame.size())) {
            Drop("send-failed");
            break;
        }
    }
    shutdown(socket_, SHUT_RDWR);
    ThreadEnded();
}

bool DaemonConnection::Handshake() {
    uint8_t header[DaemonLink::kHandshakeHeaderSize];
    if (!ReceiveExact(socket_, header, sizeof header)) {
        Drop("closed");
        return false;
    }
    const HandshakeHeader handshake = DecodeHandshakeHeader(header);
    if (handshake.tag != DaemonLink::kClientHandshakeTag) {
        Drop("bad-handshake");
        return false;
    }
    if (handshake.pathLength < 0 || handshake.pathLength > DaemonLink::kMaxPathLength) {
        Drop("bad-path-length");
        return false;
    }
    std::string path(static_cast<size_t>(handshake.pathLength), '\0');
    if (!ReceiveExact(socket_, path.data(), path.size())) {
        Drop("closed");
        return false;
    }
    host_.Record().Line("handshake " + Name() + " version=" + std::to_string(handshake.version) +
                        " build=" + std::to_string(handshake.build) +
                        " flag=" + std::to_string(handshake.flag) +
                        " path=" + DaemonRecord::PathText(path));
    int32_t word0 = 0;
    int32_t word1 = 0;
    if (!host_.HandshakeReply(word0, word1)) {
        Drop(DaemonFaultName(DaemonFault::kNoHandshakeReply));
        return false;
    }
    // Ready before the reply can reach the client, so a client that has it is listed.
    ready_.store(true);
    return Queue(HandshakeReplyFrame(word0, word1));
}

bool DaemonConnection::ServeRequest() {
    DaemonRequest request;
    if (!ReadRequest(request)) return false;
    host_.Record().Line("request " + Name() + " id=" + std::to_string(request.id) +
                        " tid=" + std::to_string(request.transactionId) +
                        DaemonRecord::Payload(request.payload, DaemonRecord::IsMasked(request.id)));
    DaemonResponse response;
    host_.Dispatcher().Dispatch(request, response);
    Answer(request, response);
    if (response.endDaemon) host_.OnEndRequested();
    return response.fault != DaemonFault::kDropLink;
}

bool DaemonConnection::ReadRequest(DaemonRequest& request) {
    uint8_t idBytes[4];
    if (!ReceiveExact(socket_, idBytes, sizeof idBytes)) {
        Drop("closed");
        return false;
    }
    request.client = number_;
    request.id = static_cast<int32_t>(LoadLittleEndian32(idBytes));
    if (request.id == DaemonLink::kGoodbye) {
        host_.Record().Line("goodbye " + Name());
        return false;
    }
    uint8_t rest[DaemonLink::kRequestHeaderSize - 4];
    if (!ReceiveExact(socket_, rest, sizeof rest)) {
        Drop("closed");
        return false;
    }
    request.transactionId = LoadLittleEndian32(rest);
    const auto length = static_cast<int32_t>(LoadLittleEndian32(rest + 4));
    if (length < 0 || length > DaemonLink::kMaxPayloadLength) {
        Drop("bad-length");
        return false;
    }
    if (!ReceivePayload(socket_, static_cast<size_t>(length), request.payload)) {
        Drop("closed");
        return false;
    }
    return true;
}

void DaemonConnection::Answer(const DaemonRequest& request, const DaemonResponse& response) {
    for (const DaemonNote& note : response.notes) {
        if (!SendNote(note)) return;
    }
    std::string line = "reply " + Name() + " tid=" + std::to_string(request.transactionId) +
                       DaemonRecord::Payload(response.reply, DaemonRecord::IsMasked(request.id));
    if (response.fault != DaemonFault::kNone) {
        line += std::string(" fault=") + DaemonFaultName(response.fault);
    }
    if (response.fault == DaemonFault::kDropLink) {
        host_.Record().Line(line);
        return;
    }
    if (Queue(ReplyFrame(request.transactionId, response.reply, response.fault))) {
        host_.Record().Line(line);
    }
}

bool DaemonConnection::Queue(WireBytes frame) {
    const OutgoingQueue::Push pushed = queue_.Add(std::move(frame));
    if (pushed == OutgoingQueue::Push::kFull) Drop("queue-full");
    return pushed == OutgoingQueue::Push::kQueued;
}

void DaemonConnection::Drop(const char* reason) {
    if (!closing_.exchange(true)) host_.Record().Line("drop " + Name() + " reason=" + reason);
    Abort();
}

void DaemonConnection::ThreadEnded() {
    if (running_.fetch_sub(1) == 1) host_.OnConnectionFinished();
}
