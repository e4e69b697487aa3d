// The message side of a thread: offering a message to its wait blocks, the messages queued
// while it cannot take them (pooled copies in its owner's router, at most 1024, then the
// overflow report), offering the queue to a new wait, and dropping waits and queue.
#include <cstdio>
#include <string>

#include "script_runtime/gs_context.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_thread.h"

namespace {

// The owner's router when the owner is attached to one and belongs to a context.
GSRouter* DeliveryRouter(const GSGameObject* owner) {
    return owner && owner->Context() ? owner->GetRouter() : nullptr;
}

GSRouter* OwnerRouter(const GSGameObject* owner) { return owner ? owner->GetRouter() : nullptr; }

// The thread exception of a full queue (the thread goes on); the queue is then emptied.
void ReportQueueOverflow(GSThread& thread, GSRouter& router, const GSMessage& message) {
    char line[96];
    std::snprintf(line, sizeof line, "Message Queue Overflow for node %d (discarded message follows)\n",
                  thread.Owner()->GetId());
    std::string text = line;
    router.FormatMessage(&message, text);
    std::snprintf(line, sizeof line, " thread state is %d\n", thread.State());
    text += line;
    text += " messages already in queue follow:\n";
    for (uint32_t i = 0; i < thread.QueuedCount(); ++i) router.FormatMessage(thread.QueuedMessages()[i], text);
    thread.Exception(text.c_str(), true);
    thread.FreeQueuedMessages();
}

}  // namespace

void GSThread::DropWaitBlocks() {
    if (GSRouter* router = OwnerRouter(owner_))
        for (uint32_t i = 0; i < waitCount_; ++i) router->Unsubscribe(owner_, waitBlocks_[i].major);
    waitCount_ = 0;
}

void GSThread::FreeQueuedMessages() {
    if (GSRouter* router = OwnerRouter(owner_))
        for (uint32_t i = queuedCount_; i-- > 0;) router->FreeToPool(queuedMessages_[i]);
    queuedCount_ = 0;
}

bool GSThread::ReceiveMessage(const GSMessage* message, bool queue) {
    GSRouter* router = DeliveryRouter(owner_);
    if (!router || !message) return false;
    const Block* match = nullptr;
    for (uint32_t i = 0; i < waitCount_ && !match; ++i) {
        const Block& block = waitBlocks_[i];
        if (block.major == message->major && GSMessage::MinorMatches(block.minor, message->minor)) match = &block;
    }
    if (!match) return false;
    if (state_ == kWaiting) {
        resumePosition_ = match->target;
        stack_.PushReference(owner_->Context()->CreateMessageObject(message), nullptr);
        state_ = kRunning;
        sleepTime_ = 0.0f;
        return true;
    }
    if (!queue) return true;
    if (queuedCount_ >= kMaxQueuedMessages) {
        ReportQueueOverflow(*this, *router, *message);
        return true;
    }
    GSMessage* copy = router->CopyToPool(*message);
    if (!copy || !queuedMessages_.Reserve(queuedCount_)) {
        router->FreeToPool(copy);
        return false;
    }
    queuedMessages_[queuedCount_++] = copy;
    return true;
}

// The first queued message the new wait takes wakes the thread and is used up; later ones
// that the wait would also take stay queued, in order; the rest are discarded.
bool GSThread::OfferQueuedMessages() {
    if (!owner_) return false;
    GSRouter* router = OwnerRouter(owner_);
    bool woken = false;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < queuedCount_; ++i) {
        GSMessage* message = queuedMessages_[i];
        const bool taken = ReceiveMessage(message, false);
        if (taken && woken) {
            queuedMessages_[kept++] = message;
            continue;
        }
        woken = woken || taken;
        if (router) router->FreeToPool(message);
    }
    queuedCount_ = kept;
    return state_ == kRunning;
}
