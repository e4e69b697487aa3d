// The router's deliveries: immediate sends, posted and delayed messages, the pump that
// delivers what is due and updates the scheduled nodes, and the router's texts (trace
// lines, message descriptions, the Info block, stack dumps).
#include <cstring>
#include <vector>

#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_node.h"
#include "script_runtime/gs_router.h"

namespace {

bool g_trace = false;

// A due time at or before now, in the 30-bit clock's circle: the wrap of the clock does not
// make a message due early.
bool IsDue(uint32_t due, uint32_t now) { return ((now - due) & kGSMessageTimeMask) < (kGSMessageTimeMask / 2 + 1); }

}  // namespace

void GSRouter::SetTrace(bool on) { g_trace = on; }

GSMessage* GSRouter::NewFrameMessage() {
    return static_cast<GSMessage*>(frames_[currentFrame_].Alloc(sizeof(GSMessage), 4));
}

GSMessage* GSRouter::CopyToPool(const GSMessage& message) {
    auto* copy = static_cast<GSMessage*>(messagePool_.Alloc());
    if (copy) *copy = message;
    return copy;
}

bool GSRouter::FreeToPool(GSMessage* message) { return message && messagePool_.Free(message); }

void GSRouter::Deliver(GSNode* node, GSMessage* message) { node->ReceiveMessage(message); }

// Receivers are taken by id before any delivery: a receiver's handlers may attach, remove or
// unsubscribe nodes while the message goes round.
void GSRouter::DeliverSubscribed(Utils::GSIAVLTree* tree, GSMessage* message) {
    std::vector<int32_t> ids;
    Utils::GSIAVLTree::Iterator it;
    for (tree->BeginIteration(it); it.Current(); it.Next())
        ids.push_back(static_cast<Subscription*>(it.Current())->node->GetId());
    for (int32_t id : ids) {
        GSNode* node = GetNode(id);
        if (!node || (node->GetFlags() & GSNode::kNoSubscribedMessages)) continue;
        if (FindSubscription(FindTree(message->major), node)) Deliver(node, message);
    }
}

void GSRouter::SendMessage(GSMessage* message) {
    if (!message) return;
    if (g_trace) TraceMessage(message);
    if (CheckStackDumpMessage(message)) return;
    const bool subscribed = message->major >= kGSTypeFirstSubscribed;
    Utils::GSIAVLTree* tree = subscribed ? FindTree(message->major) : nullptr;
    if (subscribed && !tree) return;
    if (message->destination != 0) {
        GSNode* node = GetNode(message->destination);
        if (!node) return;
        if (!subscribed) return Deliver(node, message);
        if (FindSubscription(tree, node) && !(node->GetFlags() & GSNode::kNoSubscribedMessages)) Deliver(node, message);
        return;
    }
    if (subscribed) return DeliverSubscribed(tree, message);
    std::vector<int32_t> ids;
    for (auto* at = nodes_.Begin(); at != nodes_.End(); at = at->Next()) ids.push_back(static_cast<GSNode*>(at)->GetId());
    for (int32_t id : ids)
        if (GSNode* node = GetNode(id)) Deliver(node, message);
}

bool GSRouter::PostMessage(GSMessage* message) {
    if (!message) return false;
    const uint32_t delay = message->timeWord & kGSMessageTimeMask;
    if (delay == 0) return posted_.Push(message);
    GSMessage* copy = CopyToPool(*message);
    if (!copy) return false;
    copy->timeWord = (message->timeWord & ~kGSMessageTimeMask) | ((currentTime_ + delay) & kGSMessageTimeMask);
    if (delayed_.Push(copy)) return true;
    FreeToPool(copy);
    return false;
}

// Scanned from the last element: a removal moves the last element into the hole, or lifts
// the hole's ancestors down into it, so the same position is looked at again.
void GSRouter::ClearMessages(GSNode* node, const char* major, const char* minor) {
    if (!node) return;
    const uint16_t majorId = GetMajorTypeId(major);
    const uint16_t minorId = GetMajorTypeId(minor);
    int cleared = 0;
    for (uint32_t i = delayed_.Count(); i >= 1;) {
        const GSMessage* message = delayed_.At(i);
        if (message->destination != node->GetId() || message->major != majorId ||
            !GSMessage::MinorMatches(minorId, message->minor)) {
            --i;
            continue;
        }
        FreeToPool(delayed_.RemoveAt(i));
        ++cleared;
        if (i > delayed_.Count()) i = delayed_.Count();
    }
    if (cleared == 0) return;
    GSLog("%d queued router messages cleared for %04d '%s', message %s, %s", cleared, node->GetId(),
          node->GetName().c_str(), major ? major : "", minor ? minor : "");
}

const char* GSRouter::NodeName(int32_t id) {
    GSNode* node = GetNode(id);
    return node && node->RouterName() ? node->RouterName() : "";
}

void GSRouter::TraceMessage(const GSMessage* message) {
    const Kiv::String major = GetTypeName(message->major);
    const Kiv::String minor = GetTypeName(message->minor);
    if (minor == "Tick" || (major == "Train" && minor == "ThrottleChanged")) return;
    GSLog("router message from %04d '%s' to %04d '%s', message %s, %s", message->source, NodeName(message->source),
          message->destination, NodeName(message->destination), major.c_str(), minor.c_str());
}

void GSRouter::FormatMessage(const GSMessage* message, std::string& text) {
    const Kiv::String major = GetTypeName(message->major);
    const Kiv::String minor = GetTypeName(message->minor);
    char line[64];
    std::snprintf(line, sizeof line, "router message from %04d '", message->source);
    text += line;
    text += NodeName(message->source);
    std::snprintf(line, sizeof line, "' to %04d '", message->destination);
    text += line;
    text += NodeName(message->destination);
    text += "', message ";
    text += major.View();
    text += ", ";
    text += minor.View();
    text += "\n";
}

void GSRouter::Info() {
    GSLog("ROUTER INFO\n===========");
    GSLog("%d Node(s)", static_cast<int>(nodes_.Count()));
    GSLog("%d Message(s) in the delay queue", static_cast<int>(delayed_.Count()));
    GSLog("%d Major types", static_cast<int>(lastTypeId_));
    GSLog("%d Message allocations", static_cast<int>(messagePool_.Used()));
    GSLog("%d Frame message allocations", static_cast<int>(frames_[currentFrame_].Count()));
    GSLog("%d Posted messages", static_cast<int>(posted_.Count()));
    GSLog("%d Subscription AVL trees", static_cast<int>(trees_.EntryCount()));
}

bool GSRouter::CheckStackDumpMessage(const GSMessage* message) {
    if (stackDumpMajor_ == 0 || message->major != stackDumpMajor_ || message->minor != stackDumpMinor_) return false;
    if (message->destination == 0) {
        DumpAllThreadStacks();
        return true;
    }
    if (auto* gameObject = GSGameObject::FromNode(GetNode(message->destination))) gameObject->DumpThreadStacks();
    return true;
}

void GSRouter::DumpAllThreadStacks() {
    GSLog("*** DUMPING ALL THREAD STACKS ***");
    for (auto* at = nodes_.Begin(); at != nodes_.End(); at = at->Next())
        if (auto* gameObject = GSGameObject::FromNode(static_cast<GSNode*>(at))) gameObject->DumpThreadStacks();
}

void GSRouter::Schedule(GSNode* node) {
    if (node && node->GetRouter() == this) updateSet_.insert(node);
}

void GSRouter::Pump() {
    const uint32_t now = clock_();
    const float timeStep = static_cast<float>(now - lastPump_) / 1000.0f;
    lastPump_ = now;
    currentTime_ = now & kGSMessageTimeMask;
    DeliverDueMessages();
    DeliverPostedMessages();
    UpdateScheduledNodes(timeStep);
}

void GSRouter::DeliverDueMessages() {
    while (const GSMessage* next = delayed_.At(1)) {
        if (!IsDue(next->timeWord & kGSMessageTimeMask, currentTime_)) return;
        GSMessage* message = delayed_.Pop();
        SendMessage(message);
        FreeToPool(message);
    }
}

// Messages posted while these are delivered are built in the other frame and wait for the
// next pump; the frame the delivered ones lived in is then given back.
void GSRouter::DeliverPostedMessages() {
    const uint32_t delivered = currentFrame_;
    currentFrame_ ^= 1;
    for (uint32_t n = posted_.Count(); n > 0; --n) {
        GSMessage* message = nullptr;
        if (!posted_.Pop(message)) break;
        SendMessage(message);
    }
    frames_[delivered].Release();
    frames_[delivered].Init(kFrameChunkSize);
}

void GSRouter::UpdateScheduledNodes(float timeStep) {
    updating_ = std::move(updateSet_);
    updateSet_.clear();
    while (!updating_.empty()) {
        GSNode* node = *updating_.begin();
        updating_.erase(updating_.begin());
        node->Update(timeStep);
        if (node->DestroyRequested()) {
            delete node;
        } else if (node->IsScheduled() && node->GetRouter() == this) {
            updateSet_.insert(node);
        }
    }
}
