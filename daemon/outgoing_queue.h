// OutgoingQueue: the frames waiting for one client's writer thread. The reader thread and
// SendNote push whole frames and never wait for the socket, so a client that does not read
// cannot stall the daemon's reading; the queued bytes are bounded instead, and a push past
// the bound fails (the connection then drops that client). An empty queue takes one frame
// of any size, so a large reply never fails by itself.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

#include "daemon/wire_bytes.h"

class OutgoingQueue {
public:
    explicit OutgoingQueue(size_t maxBytes) : maxBytes_(maxBytes) {}

    enum class Push { kQueued, kClosed, kFull };
    // Nothing is queued when closed or when the frame would pass the bound.
    Push Add(WireBytes frame);
    // No more pushes; what is queued is still handed out.
    void Close();
    // Waits for the next frame; false once closed and empty.
    bool Pop(WireBytes& frame);
    // Closes and drops what is queued.
    void Discard();

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<WireBytes> frames_;
    size_t bytes_ = 0;
    size_t maxBytes_;
    bool closed_ = false;
};
