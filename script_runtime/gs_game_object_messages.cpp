// How a message reaches a game object: its waiting threads first, then its handlers, each
// working on a copy of the matching handler records so that a handler may add or remove
// handlers while the message is dispatched. A sniff entry forwards the message to the
// sniffer once (the sniffed bit stops a second forwarding); a method handler runs the
// method of the object that asked for it on the static thread.
#include <vector>

#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_game_object_handler_run.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_thread.h"

namespace {

struct HandlerCopy {
    int32_t nodeId;
    int32_t ancestorOffset;
    int32_t methodIndex;
    bool sniff;
};

// The method-table entry a handler names, bounded by the instance's class table.
const GSMethodEntry* HandlerEntry(GSScriptInstance* instance, int32_t ancestorOffset, int32_t methodIndex) {
    const GSClass* gsClass = instance->Class();
    if (!gsClass || ancestorOffset < 0 || ancestorOffset + 1 >= gsClass->InstanceSlotCount()) return nullptr;
    const auto* partTable = static_cast<const GSMethodEntry*>(instance->Slots()[ancestorOffset + 1].p);
    const std::vector<GSMethodEntry>& table = gsClass->MethodTable();
    const int64_t index = (partTable - table.data()) + int64_t{methodIndex};
    if (!partTable || index < 0 || index >= static_cast<int64_t>(table.size())) return nullptr;
    return &table[static_cast<size_t>(index)];
}

}  // namespace

bool GSGameObject::ReceiveMessage(GSMessage* message) {
    if (!GetRouter() || !message) return false;
    bool delivered = false;
    for (auto* at = threads_.Begin(); at != threads_.End(); at = at->Next())
        if (static_cast<GSThread*>(at)->ReceiveMessage(message, true)) delivered = true;

    std::vector<HandlerCopy> copies;
    for (auto* at = handlers_.Begin(); at != handlers_.End(); at = at->Next()) {
        const auto* handler = static_cast<const GSHandler*>(at);
        if (handler->Matches(*message))
            copies.push_back({handler->nodeId, handler->ancestorOffset, handler->methodIndex, handler->sniff});
    }
    for (const HandlerCopy& copy : copies) {
        if (copy.sniff) {
            ForwardToSniffer(copy.nodeId, message);
        } else if (RunMethodHandler(copy.nodeId, copy.ancestorOffset, copy.methodIndex, message)) {
            delivered = true;
        }
    }
    if (delivered) return true;
    if (message->major != kGSTypeDestroy) return false;
    SetDestroyRequested();
    return true;
}

void GSGameObject::ForwardToSniffer(int32_t sniffer, GSMessage* message) {
    if (message->timeWord & kGSMessageSniffed) return;
    GSRouter* router = GetRouter();
    GSGameObject* target = router ? FromNode(router->GetNode(sniffer)) : nullptr;
    if (!target) return;
    message->timeWord |= kGSMessageSniffed;
    target->ReceiveMessage(message);
    message->timeWord &= ~kGSMessageSniffed;
}

bool GSGameObject::RunMethodHandler(int32_t nodeId, int32_t ancestorOffset, int32_t methodIndex, GSMessage* message) {
    GSRouter* router = GetRouter();
    GSGameObject* owner = router ? FromNode(router->GetNode(nodeId)) : nullptr;
    GSScriptInstance* instance = owner ? GSInstanceOf(owner->GetInstance()) : nullptr;
    if (!instance) return false;
    const GSMethodEntry* entry = HandlerEntry(instance, ancestorOffset, methodIndex);
    const GSFunction* function = entry && entry->functionRef ? entry->functionRef->function : nullptr;
    if (!function) return false;
    GSContext* context = owner->Context();
    GSSlot* messageObject = context ? context->CreateMessageObject(message) : nullptr;
    GSRunHandlerMethod(*function, instance->Slots() + entry->offset, messageObject);
    return true;
}
