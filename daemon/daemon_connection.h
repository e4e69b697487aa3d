// DaemonConnection: one client of the daemon. A reader thread takes the handshake and the
// request frames off the socket and dispatches them; a writer thread sends the queued
// frames. The reader never waits for the socket to take a frame (one that goes out at once
// is sent without waiting, the rest is queued), so a client that stops reading cannot block
// the daemon's reading, and neither side can deadlock the other. Every length a client
// sends is checked before use; a hostile frame drops this client alone.
#pragma once

#include <atomic>
#include <mutex>
#include <cstdint>
#include <string>
#include <thread>

#include "daemon/daemon_record.h"
#include "daemon/daemon_request.h"
#include "daemon/outgoing_queue.h"
#include "daemon/request_dispatcher.h"
#include "daemon/socket_io.h"

// What a connection needs from its server.
class DaemonConnectionHost {
public:
    virtual RequestDispatcher& Dispatcher() = 0;
    virtual DaemonRecord& Record() = 0;
    // Whether Record() writes anywhere; the lines are only made when it does.
    virtual bool Recording() const = 0;
    // The two words of the handshake reply, or none (the "no handshake reply" fault).
    virtual bool HandshakeReply(int32_t& word0, int32_t& word1) = 0;
    // A request asked the daemon to end (request 270), after its reply was queued.
    virtual void OnEndRequested() = 0;
    // Both threads of a connection have ended.
    virtual void OnConnectionFinished() = 0;

protected:
    ~DaemonConnectionHost() = default;
};

class DaemonConnection {
public:
    // Takes the socket.
    DaemonConnection(int socket, int number, DaemonConnectionHost& host);
    // Drops the link if it is still open and waits for both threads.
    ~DaemonConnection();
    DaemonConnection(const DaemonConnection&) = delete;
    DaemonConnection& operator=(const DaemonConnection&) = delete;

    void Start();
    int Number() const { return number_; }
    // The handshake was answered and the link is not closing.
    bool IsReady() const { return ready_.load() && !closing_.load(); }
    bool IsFinished() const { return running_.load() == 0; }

    // Queues a note (recorded); false when the link is closing or the client's queue is
    // full, which drops the client.
    bool SendNote(const DaemonNote& note);
    // Sends what is queued, then closes the link.
    void CloseAfterFlush();
    // Closes the link as CloseAfterFlush does, but a request being served is answered
    // first (an install stopped by request 270 still sends what it did).
    void EndAfterRequest();
    // Closes the link at once, dropping what is queued.
    void Abort();

private:
    void ReadLoop();
    void WriteLoop();
    bool Handshake();
    // One request (or the goodbye); false when the link ends.
    bool ServeRequest();
    // The next request frame; false for the goodbye or when the link ends.
    bool ReadRequest(DaemonRequest& request);
    void Answer(const DaemonRequest& request, const DaemonResponse& response);
    std::string ReplyLine(const DaemonRequest& request, const DaemonResponse& response) const;
    // line (when not empty) is recorded once the frame is taken, before it can reach the
    // client.
    bool Queue(WireBytes frame, const std::string& line);
    // Records why the link ends (unless it was already closing) and closes it at once.
    void Drop(const char* reason);
    void ThreadEnded();
    std::string Name() const { return std::to_string(number_); }

    int socket_;
    int number_;
    DaemonConnectionHost& host_;
    SocketReader input_;  // the reader thread's alone
    OutgoingQueue queue_;
    std::atomic<bool> ready_{false};
    std::atomic<bool> closing_{false};  // set by whichever side began to close the link
    std::atomic<int> running_{0};
    std::mutex serveLock_; // serving_ and ending_
    bool serving_ = false;
    bool ending_ = false;
    std::thread reader_;
    std::thread writer_;
};
