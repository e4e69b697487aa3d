// Broadcast and link handling of NuMessageRecipient and NuMessageSubscription.
#include "foundation/results/nu_message.h"

namespace NuMessageType {

const Kiv::PString& ListUpdated() {
    static const Kiv::PString type("list-updated");
    return type;
}

const Kiv::PString& ListDestroyed() {
    static const Kiv::PString type("list-destroyed");
    return type;
}

const Kiv::PString& PipeClosed() {
    static const Kiv::PString type("pipe-closed");
    return type;
}

} // namespace NuMessageType

NuMessageRecipient::~NuMessageRecipient() {
    while (head_)
        head_->Disconnect();
}

int32_t NuMessageRecipient::ForwardMessage(const NuMessageData& message) {
    NuMessageRecipient* target = GetForwardTarget();
    return target ? target->ForwardMessage(message) : 1;
}

void NuMessageRecipient::NotifyRecipients(const NuMessageData& message) {
    for (NuMessageSubscription* link = head_; link;) {
        NuMessageSubscription* next = link->next_;
        if (link->handler_) link->handler_->ForwardMessage(message);
        link = next;
    }
}

void NuMessageSubscription::Connect(NuMessageRecipient& source) {
    Unlink();
    list_ = &source;
    prev_ = source.tail_;
    if (prev_) {
        prev_->next_ = this;
    } else {
        source.head_ = this;
    }
    source.tail_ = this;
}

void NuMessageSubscription::Disconnect() {
    NuMessageRecipient* listener = listener_;
    listener_ = nullptr;
    Unlink();
    if (listener)
        listener->ForwardMessage(
            NuMessageData(NuMessageType::PipeClosed(), reinterpret_cast<uintptr_t>(handler_)));
}

void NuMessageSubscription::Unlink() {
    if (!list_) return;
    (prev_ ? prev_->next_ : list_->head_) = next_;
    (next_ ? next_->prev_ : list_->tail_) = prev_;
    prev_ = next_ = nullptr;
    list_ = nullptr;
}
