// OutgoingQueue: the frames waiting for one client's writer thread. The reader thread and
// SendNote push whole frames and never wait for the socket, so a client that does not read
// cannot stall the daemon's reading; the queued bytes are bounded instead, and a push past
// the bound fails (the connection then drops that client). An empty queue takes one frame
// of any size, so a large reply never fails by itself.
// When nothing is queued and the writer is not in the middle of a frame, a push first hands
// the frame to a send that never waits, under the queue's lock so that nothing overtakes
// it; only what the socket did not take is queued. A reply to a client that reads thus
// leaves from the thread that made it, without waking the writer.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "daemon/wire_bytes.h"

class OutgoingQueue {
public:
    // Sends what the socket takes now without waiting; answers how many bytes went out.
    using SendNow = std::function<size_t(const uint8_t* bytes, size_t size)>;
    // Runs under the queue's lock when a push is taken, before any byte of the frame leaves.
    using Taken = std::function<void()>;

    // Without sendNow every frame waits for the writer.
    explicit OutgoingQueue(size_t maxBytes, SendNow sendNow = {})
        : maxBytes_(maxBytes), sendNow_(std::move(sendNow)) {}

    enum class Push { kQueued, kClosed, kFull };
    // Nothing is queued (and taken does not run) when closed or when the frame would pass
    // the bound. kQueued also when the frame went out at once.
    Push Add(WireBytes frame, const Taken& taken = {});
    // No more pushes; what is queued is still handed out.
    void Close();
    // Waits for the next frame; false once closed and empty. The writer counts as busy with
    // the frame until its next Pop.
    bool Pop(WireBytes& frame);
    // Closes and drops what is queued.
    void Discard();

private:
    // Under the lock: sends what it can of frame at once; true when all of it went out.
    bool SendAtOnce(WireBytes& frame);

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<WireBytes> frames_;
    size_t bytes_ = 0;
    size_t maxBytes_;
    SendNow sendNow_;
    bool writerBusy_ = false;
    bool closed_ = false;
};
