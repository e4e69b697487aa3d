// The socket is shut down (which wakes a blocked recv or send) by whichever side ends
// first, and closed only in the destructor, after both threads have returned, so its
// number is never reused while a thread still uses it. A frame's record line is written
// before the frame can reach the client, so a client that has the frame finds the line.
#include "daemon/daemon_connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include "daemon/link_format.h"
#include "daemon/link_frames.h"
#include "daemon/socket_io.h"

DaemonConnection::DaemonConnection(int socket, int number, DaemonConnectionHost& host)
    : socket_(socket),
      number_(number),
      host_(host),
      input_(socket),
      queue_(DaemonLink::kMaxQueuedBytes, [socket](const uint8_t* bytes, size_t size) {
          return SendWithoutWaiting(socket, bytes, size);
      }) {}

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
    std::string line;
    if (host_.Recording()) {
        line = "note " + Name() + " kind=" + std::to_string(note.kind) +
               DaemonRecord::Payload(note.payload, false);
    }
    return Queue(NoteFrame(note.kind, note.payload), line);
}

void DaemonConnection::CloseAfterFlush() {
    closing_.store(true);
    queue_.Close();
}

void DaemonConnection::EndAfterRequest() {
    std::lock_guard<std::mutex> hold(serveLock_);
    ending_ = true;
    if (!serving_) CloseAfterFlush();
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
    if (!input_.ReadExact(header, sizeof header)) {
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
    if (!input_.ReadExact(path.data(), path.size())) {
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
    return Queue(HandshakeReplyFrame(word0, word1), std::string());
}

bool DaemonConnection::ServeRequest() {
    DaemonRequest request;
    if (!ReadRequest(request)) return false;
    if (host_.Recording()) {
        host_.Record().Line(
            "request " + Name() + " id=" + std::to_string(request.id) +
            " tid=" + std::to_string(request.transactionId) +
            DaemonRecord::Payload(request.payload, DaemonRecord::IsMasked(request.id)));
    }
    {
        std::lock_guard<std::mutex> hold(serveLock_);
        if (ending_) return false;
        serving_ = true;
    }
    DaemonResponse response;
    host_.Dispatcher().Dispatch(request, response);
    Answer(request, response);
    if (response.endDaemon) host_.OnEndRequested();
    std::lock_guard<std::mutex> hold(serveLock_);
    serving_ = false;
    return !ending_ && response.fault != DaemonFault::kDropLink;
}

bool DaemonConnection::ReadRequest(DaemonRequest& request) {
    uint8_t idBytes[4];
    if (!input_.ReadExact(idBytes, sizeof idBytes)) {
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
    if (!input_.ReadExact(rest, sizeof rest)) {
        Drop("closed");
        return false;
    }
    request.transactionId = LoadLittleEndian32(rest);
    const auto length = static_cast<int32_t>(LoadLittleEndian32(rest + 4));
    if (length < 0 || length > DaemonLink::kMaxPayloadLength) {
        Drop("bad-length");
        return false;
    }
    if (!input_.ReadPayload(static_cast<size_t>(length), request.payload)) {
        Drop("closed");
        return false;
    }
    return true;
}

void DaemonConnection::Answer(const DaemonRequest& request, const DaemonResponse& response) {
    for (const DaemonNote& note : response.notes) {
        if (!SendNote(note)) return;
    }
    const std::string line = host_.Recording() ? ReplyLine(request, response) : std::string();
    if (response.fault == DaemonFault::kDropLink || response.fault == DaemonFault::kHoldReply) {
        if (!line.empty()) host_.Record().Line(line);
        return;
    }
    Queue(ReplyFrame(request.transactionId, response.reply, response.fault), line);
}

std::string DaemonConnection::ReplyLine(const DaemonRequest& request,
                                        const DaemonResponse& response) const {
    std::string line = "reply " + Name() + " tid=" + std::to_string(request.transactionId) +
                       DaemonRecord::Payload(response.reply, DaemonRecord::IsMasked(request.id));
    if (response.fault != DaemonFault::kNone) {
        line += std::string(" fault=") + DaemonFaultName(response.fault);
    }
    return line;
}

bool DaemonConnection::Queue(WireBytes frame, const std::string& line) {
    OutgoingQueue::Taken record;
    if (!line.empty()) record = [this, &line] { host_.Record().Line(line); };
    const OutgoingQueue::Push pushed = queue_.Add(std::move(frame), record);
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
