// GSNode: a member of a message router. A node gets a process-wide id when it attaches,
// can ask its router for message kinds (subscriptions), builds messages in the router's
// current frame, and waits in the router's update set for its next update. Game objects are
// the nodes of script code; the product's own scriptable objects are nodes too.
// A node with a destroy request is deleted once it is detached (router shut-down, or an
// update request without a router).
#pragma once

#include <cstdint>

#include "engine/pstring.h"
#include "foundation/utils/double_link_list.h"
#include "foundation/utils/queue.h"
#include "script_runtime/gs_message.h"

class GSRouter;

class GSNode : public Utils::IDoubleLinkListNode {
  public:
    enum Flags : uint32_t {
        kNoSubscribedMessages = 0x1,  // the router passes this node no subscribed message
        kGameObject = 0x2,
        kDestroyRequested = 0x40000000,
    };
    static constexpr uint32_t kQueueIncrement = 22;

    GSNode() = default;
    ~GSNode() override;

    // The node's name in its router's name table; empty for a plain node.
    virtual Kiv::PString GetName() const { return Kiv::PString(); }
    // The base takes only a destroy request (major 3), setting the request.
    virtual bool ReceiveMessage(GSMessage* message);
    // Passes every queued message to ReceiveMessage; a positive step clears `scheduled`.
    virtual void Update(float timeStep);

    // A message from this node in its router's current frame (null when detached or when the
    // frame is exhausted). The minor name is interned before the major name.
    GSMessage* RequestMessage(const char* major, const char* minor, int32_t destination, uint32_t delayMs);
    void RequestUpdate();
    bool Subscribe(uint16_t major);
    bool Unsubscribe(uint16_t major);

    int32_t GetId() const { return id_; }
    GSRouter* GetRouter() const { return router_; }
    uint32_t GetFlags() const { return flags_; }
    void SetFlags(uint32_t flags) { flags_ = flags; }
    bool IsGameObject() const { return (flags_ & kGameObject) != 0; }
    bool DestroyRequested() const { return (flags_ & kDestroyRequested) != 0; }
    void SetDestroyRequested() { flags_ |= kDestroyRequested; }
    bool IsScheduled() const { return scheduled_; }
    const char* RouterName() const { return name_; }
    Utils::Queue<GSMessage*, 1>& MessageQueue() { return queue_; }

  private:
    friend class GSRouter;

    Utils::Queue<GSMessage*, 1> queue_{kQueueIncrement};
    int32_t id_ = -1;
    uint32_t flags_ = 0;
    GSRouter* router_ = nullptr;
    char* name_ = nullptr;  // the router's copy of GetName, or null
    bool scheduled_ = false;
};
