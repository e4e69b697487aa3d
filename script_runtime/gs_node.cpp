// Router nodes: their messages, update requests, subscriptions and the base message and
// update behaviour.
#include "script_runtime/gs_node.h"

#include "script_runtime/gs_log.h"
#include "script_runtime/gs_router.h"

GSNode::~GSNode() {
    flags_ &= ~kDestroyRequested;
    if (router_) router_->RemoveNode(this);
}

bool GSNode::ReceiveMessage(GSMessage* message) {
    if (!message || message->major != kGSTypeDestroy) return false;
    SetDestroyRequested();
    return true;
}

void GSNode::Update(float timeStep) {
    GSMessage* message = nullptr;
    while (queue_.Pop(message) && message) ReceiveMessage(message);
    if (timeStep > 0.0f) scheduled_ = false;
}

GSMessage* GSNode::RequestMessage(const char* major, const char* minor, int32_t destination, uint32_t delayMs) {
    if (!router_) {
        GSLog("GSNode::RequestMessage> source is not attached to router");
        return nullptr;
    }
    GSMessage* message = router_->NewFrameMessage();
    if (!message) return nullptr;
    message->minor = router_->GetMajorTypeId(minor);
    message->major = router_->GetMajorTypeId(major);
    message->source = id_;
    message->destination = destination;
    message->timeWord = (delayMs & kGSMessageTimeMask) | kGSMessageBuilt;
    return message;
}

// A detached node whose destruction was requested goes at once.
void GSNode::RequestUpdate() {
    if (!router_ && DestroyRequested()) {
        delete this;
        return;
    }
    if (scheduled_) return;
    scheduled_ = true;
    if (router_) router_->Schedule(this);
}

bool GSNode::Subscribe(uint16_t major) { return router_ && router_->Subscribe(this, major); }

bool GSNode::Unsubscribe(uint16_t major) { return router_ && router_->Unsubscribe(this, major); }
