// GSGameObject: the native side of a script object of a "GameObject" class (reference kind
// 4). It is both a script object and a router node: it owns script threads (at most 64, run
// once per update, dropped when a run ends for good), receives messages into its waiting
// threads and its message handlers, and forwards messages to the objects that sniff it.
// A handler record sits in the list of the object whose messages it watches; it names the
// object whose method runs (or which sniffs) by node id, so a handler never holds a pointer
// to an object that may be gone.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/utils/double_link_list.h"
#include "script_runtime/gs_node.h"
#include "script_runtime/gs_object.h"

class GSStack;
class GSThread;

struct GSHandler : public Utils::IDoubleLinkListNode {
    int32_t nodeId = 0;          // the object whose method runs, or the sniffer
    int32_t ancestorOffset = 0;  // the instance part whose method table holds the method
    int32_t methodIndex = 0;
    uint16_t major = 0;
    uint16_t minor = 0;  // 1 = any minor
    bool sniff = false;

    bool Matches(const GSMessage& message) const {
        return major == message.major && GSMessage::MinorMatches(minor, message.minor);
    }
};

class GSGameObject : public GSObject, public GSNode {
  public:
    static constexpr uint32_t kMaxThreads = 64;
    using Native = void (GSGameObject::*)(GSStack* stack);

    GSGameObject();
    ~GSGameObject() override;

    // Drops every thread and handler, then attaches (a "GameObject" class or one derived
    // from it) or, with a null class, detaches.
    bool Attach(GSClass* gsClass, GSContext* context) override;
    bool ReceiveMessage(GSMessage* message) override;
    void Update(float timeStep) override;

    // A new thread owned by this object (flags 0) at the front of its list, or null at 64
    // threads or without a script instance with a class.
    GSThread* NewThread();
    void DumpThreadStacks();
    void DeleteThreadsAndHandlers();

    const Utils::DoubleLinkList& Threads() const { return threads_; }
    const Utils::DoubleLinkList& Handlers() const { return handlers_; }

    // Handler records of this object (the target); see the AddHandler and Sniff natives.
    void AddMethodHandler(int32_t nodeId, int32_t ancestorOffset, int32_t methodIndex, uint16_t major, uint16_t minor);
    void RemoveMethodHandlers(int32_t nodeId, uint16_t major, uint16_t minor);
    void AddSniff(int32_t nodeId, uint16_t major, uint16_t minor);
    void RemoveSniffs(int32_t nodeId, uint16_t major, uint16_t minor);

    // The game object of a node, of a script reference, or null.
    static GSGameObject* FromNode(GSNode* node);
    static GSGameObject* FromReference(GSSlot* reference);
    // The member function bound to a GameObject native's signature, or null.
    static Native FindNative(std::string_view signature);

    // The natives of the script class "GameObject".
    void SendMessageNative(GSStack* stack);
    void PostMessageNative(GSStack* stack);
    void ClearMessagesNative(GSStack* stack);
    void AddHandlerNative(GSStack* stack);
    void SniffNative(GSStack* stack);
    void SleepNative(GSStack* stack);
    void GetIdNative(GSStack* stack);
    void GetNameNative(GSStack* stack);
    void ExceptionNative(GSStack* stack);

  private:
    void RemoveHandlers(int32_t nodeId, uint16_t major, uint16_t minor, bool sniff);
    void ForwardToSniffer(int32_t sniffer, GSMessage* message);
    bool RunMethodHandler(int32_t nodeId, int32_t ancestorOffset, int32_t methodIndex, GSMessage* message);

    Utils::DoubleLinkList handlers_;
    Utils::DoubleLinkList threads_;
};
