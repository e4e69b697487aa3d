#include "daemon/outgoing_queue.h"

#include <utility>

OutgoingQueue::Push OutgoingQueue::Add(WireBytes frame, const Taken& taken) {
    std::lock_guard<std::mutex> hold(lock_);
    if (closed_) return Push::kClosed;
    const bool fits = frame.size() <= maxBytes_ && bytes_ <= maxBytes_ - frame.size();
    if (!fits && !frames_.empty()) return Push::kFull;
    if (taken) taken();
    if (SendAtOnce(frame)) return Push::kQueued;
    bytes_ += frame.size();
    frames_.push_back(std::move(frame));
    changed_.notify_one();
    return Push::kQueued;
}

bool OutgoingQueue::SendAtOnce(WireBytes& frame) {
    if (!sendNow_ || writerBusy_ || !frames_.empty()) return false;
    const size_t sent = sendNow_(frame.data(), frame.size());
    if (sent >= frame.size()) return true;
    frame.erase(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(sent));
    return false;
}

void OutgoingQueue::Close() {
    std::lock_guard<std::mutex> hold(lock_);
    closed_ = true;
    changed_.notify_all();
}

bool OutgoingQueue::Pop(WireBytes& frame) {
    std::unique_lock<std::mutex> hold(lock_);
    writerBusy_ = false;
    changed_.wait(hold, [this] { return closed_ || !frames_.empty(); });
    if (frames_.empty()) return false;
    frame = std::move(frames_.front());
    frames_.pop_front();
    bytes_ -= frame.size();
    writerBusy_ = true;
    return true;
}

void OutgoingQueue::Discard() {
    std::lock_guard<std::mutex> hold(lock_);
    closed_ = true;
    frames_.clear();
    bytes_ = 0;
    changed_.notify_all();
}
