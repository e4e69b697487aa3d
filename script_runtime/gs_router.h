// GSRouter: the post office of one script context. It gives every attached node a
// process-wide id, interns message type names as 16-bit ids, keeps per-major subscription
// trees (AVL trees of Subscription records, one per node, in node-address order), delivers
// messages at once to one node or to all, queues posted messages (the message itself when
// it has no delay, a pooled copy on the delay heap when it has one), and detaches every node
// when it shuts down.
// The router keeps time in milliseconds from an injected clock; Pump is the delivery pump
// that the product drives: due delayed messages, posted messages, then node updates.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "engine/string.h"
#include "foundation/utils/avl_tree.h"
#include "foundation/utils/block_memory.h"
#include "foundation/utils/double_link_list.h"
#include "foundation/utils/frame_memory.h"
#include "foundation/utils/priority_queue.h"
#include "foundation/utils/queue.h"
#include "foundation/utils/string_map.h"
#include "foundation/utils/uint_hash_table.h"
#include "script_runtime/gs_message.h"

class GSNode;

// Milliseconds of some steady clock; only differences and the low 30 bits are used.
using GSRouterClock = std::function<uint32_t()>;

class GSRouter {
  public:
    // One node's subscriptions to one major.
    class Subscription : public Utils::GSIAVLNode {
      public:
        Subscription(GSNode* subscriber, int32_t initialCount) : count(initialCount), node(subscriber) {}
        int32_t Compare(const Utils::GSIAVLNode& other) const override;

        int32_t count;
        GSNode* node;
    };

    static constexpr uint32_t kFrameChunkSize = 4096;
    static constexpr uint32_t kPostedIncrement = 64;

    // A router on the given clock (a steady clock when none is given).
    explicit GSRouter(GSRouterClock clock = {});
    ~GSRouter();
    GSRouter(const GSRouter&) = delete;
    GSRouter& operator=(const GSRouter&) = delete;

    bool AddNode(GSNode* node);
    bool RemoveNode(GSNode* node);
    GSNode* GetNode(int32_t id);
    GSNode* GetNodeByName(const char* name);

    // 1 for a null or empty name; 0 only when a new name cannot be registered.
    uint16_t GetMajorTypeId(const char* name);
    Kiv::String GetTypeName(uint16_t id) const;

    bool Subscribe(GSNode* node, uint16_t major);
    bool Unsubscribe(GSNode* node, uint16_t major);
    // The node's subscription count for the major (0 when it has none).
    int32_t SubscriptionCount(GSNode* node, uint16_t major);

    void SendMessage(GSMessage* message);
    bool PostMessage(GSMessage* message);
    void ClearMessages(GSNode* node, const char* major, const char* minor);

    void Info();
    bool Done();
    void ResetTypes();
    void DetachAllNodes();

    void DumpAllThreadStacks();
    bool CheckStackDumpMessage(const GSMessage* message);
    void TraceMessage(const GSMessage* message);
    // Appends "router message from ... to ..., message <major>, <minor>\n".
    void FormatMessage(const GSMessage* message, std::string& text);

    // 16 bytes in the current message frame, or null when the frame is exhausted.
    GSMessage* NewFrameMessage();
    // A copy of the message in the message pool, or null.
    GSMessage* CopyToPool(const GSMessage& message);
    bool FreeToPool(GSMessage* message);

    // The delivery pump: reads the clock, delivers the delayed messages now due (earliest
    // first) and the messages posted before the call, releases the message frame they were
    // built in, then updates the nodes waiting for an update with the seconds since the last
    // pump. A node with a destroy request is deleted after its update.
    void Pump();
    // A node waiting for an update (scheduled); used by GSNode::RequestUpdate.
    void Schedule(GSNode* node);

    uint32_t CurrentTime() const { return currentTime_; }
    uint32_t DelayedCount() const { return delayed_.Count(); }
    const GSMessage* DelayedAt(uint32_t i) const { return delayed_.At(i); }
    uint32_t PostedCount() const { return posted_.Count(); }
    uint32_t PooledMessages() const { return messagePool_.Used(); }
    uint32_t NodeCount() const { return nodes_.Count(); }
    uint32_t LastTypeId() const { return lastTypeId_; }
    bool IsScheduledHere(const GSNode* node) const { return updateSet_.count(const_cast<GSNode*>(node)) != 0; }
    void SetStackDumpPair(uint16_t major, uint16_t minor) {
        stackDumpMajor_ = major;
        stackDumpMinor_ = minor;
    }
    bool NoForeignLookup() const { return noForeignLookup_; }
    void SetNoForeignLookup(bool skip) { noForeignLookup_ = skip; }

    // The process-wide trace switch (off at start).
    static void SetTrace(bool on);

  private:
    Utils::GSIAVLTree* FindTree(uint16_t major);
    Utils::GSIAVLTree* FindOrMakeTree(uint16_t major);
    Subscription* FindSubscription(Utils::GSIAVLTree* tree, GSNode* node);
    void RemoveSubscription(Utils::GSIAVLTree* tree, GSNode* node);
    void EmptyTrees();
    void Deliver(GSNode* node, GSMessage* message);
    void DeliverSubscribed(Utils::GSIAVLTree* tree, GSMessage* message);
    const char* NodeName(int32_t id);
    void ForgetNodeName(GSNode* node);
    void DeliverDueMessages();
    void DeliverPostedMessages();
    void UpdateScheduledNodes(float timeStep);

    uint16_t stackDumpMajor_ = 0;  // 0: no stack-dump message
    uint16_t stackDumpMinor_ = 0;
    Utils::StringMap nodeNames_;            // key: the node's name copy; value: node id
    Utils::StringMap typeNames_;            // key: the text held by namesById_
    std::map<uint16_t, Kiv::String> namesById_;
    Utils::UIntHashTable nodesById_;        // id -> GSNode
    Utils::UIntHashTable trees_;            // major -> GSIAVLTree in the subscription pool
    Utils::DoubleLinkList nodes_;
    Utils::BlockMemory subscriptionPool_;
    Utils::FrameMemory frames_[2];
    Utils::Queue<GSMessage*, 1> posted_{kPostedIncrement};
    Utils::PriorityQueue<GSMessage> delayed_;
    Utils::BlockMemory messagePool_;
    std::set<GSNode*> updateSet_;
    std::set<GSNode*> updating_;  // taken from the update set by the pump in progress
    uint32_t currentFrame_ = 0;
    uint16_t lastTypeId_ = kGSTypeFirstSubscribed;
    uint32_t currentTime_ = 0;
    uint32_t lastPump_ = 0;
    bool noForeignLookup_ = false;
    GSRouterClock clock_;
};
