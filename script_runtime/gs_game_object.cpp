// Game objects: construction and end, attaching to a class, the handler records, and the
// conversions from nodes and script references.
#include "script_runtime/gs_game_object.h"

#include "script_runtime/gs_class.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_thread.h"

// No router yet: the update request only marks the object scheduled, so it enters the
// update set as soon as it is attached.
GSGameObject::GSGameObject() : GSObject(GS_REFERENCE_GAME_OBJECT) {
    SetFlags(kGameObject);
    RequestUpdate();
}

GSGameObject::~GSGameObject() { DeleteThreadsAndHandlers(); }

void GSGameObject::DeleteThreadsAndHandlers() {
    Utils::IDoubleLinkListNode* position = threads_.Begin();
    while (auto* thread = threads_.PopNode(position)) delete static_cast<GSThread*>(thread);
    position = handlers_.Begin();
    while (auto* handler = handlers_.PopNode(position)) delete static_cast<GSHandler*>(handler);
}

bool GSGameObject::Attach(GSClass* gsClass, GSContext* context) {
    DeleteThreadsAndHandlers();
    if (!gsClass) {
        Detach();
        return false;
    }
    if (!gsClass->IsA("GameObject")) return false;
    return GSObject::Attach(gsClass, context);
}

GSGameObject* GSGameObject::FromNode(GSNode* node) {
    return node && node->IsGameObject() ? dynamic_cast<GSGameObject*>(node) : nullptr;
}

GSGameObject* GSGameObject::FromReference(GSSlot* reference) {
    const GSScriptInstance* instance = GSInstanceOf(reference);
    GSObjectReference* native = instance ? instance->NativeObject() : nullptr;
    if (!native || native->ReferenceKind() != GS_REFERENCE_GAME_OBJECT) return nullptr;
    return dynamic_cast<GSGameObject*>(native);
}

void GSGameObject::AddMethodHandler(int32_t nodeId, int32_t ancestorOffset, int32_t methodIndex, uint16_t major,
                                    uint16_t minor) {
    for (auto* at = handlers_.Begin(); at != handlers_.End(); at = at->Next()) {
        const auto* handler = static_cast<const GSHandler*>(at);
        if (!handler->sniff && handler->major == major && handler->minor == minor && handler->nodeId == nodeId &&
            handler->methodIndex == methodIndex)
            return;
    }
    auto* handler = new GSHandler();
    handler->nodeId = nodeId;
    handler->ancestorOffset = ancestorOffset;
    handler->methodIndex = methodIndex;
    handler->major = major;
    handler->minor = minor;
    handlers_.PushFront(handler);
    if (GetRouter()) GetRouter()->Subscribe(this, major);
}

void GSGameObject::AddSniff(int32_t nodeId, uint16_t major, uint16_t minor) {
    for (auto* at = handlers_.Begin(); at != handlers_.End(); at = at->Next()) {
        const auto* handler = static_cast<const GSHandler*>(at);
        if (handler->sniff && handler->major == major && handler->minor == minor && handler->nodeId == nodeId) return;
    }
    auto* handler = new GSHandler();
    handler->nodeId = nodeId;
    handler->major = major;
    handler->minor = minor;
    handler->sniff = true;
    handlers_.PushFront(handler);
    if (GetRouter()) GetRouter()->Subscribe(this, major);
}

void GSGameObject::RemoveMethodHandlers(int32_t nodeId, uint16_t major, uint16_t minor) {
    RemoveHandlers(nodeId, major, minor, false);
}

void GSGameObject::RemoveSniffs(int32_t nodeId, uint16_t major, uint16_t minor) {
    RemoveHandlers(nodeId, major, minor, true);
}

void GSGameObject::RemoveHandlers(int32_t nodeId, uint16_t major, uint16_t minor, bool sniff) {
    Utils::IDoubleLinkListNode* position = handlers_.Begin();
    while (position != handlers_.End()) {
        const auto* handler = static_cast<const GSHandler*>(position);
        if (handler->sniff != sniff || handler->major != major || handler->minor != minor || handler->nodeId != nodeId) {
            position = position->Next();
            continue;
        }
        if (GetRouter()) GetRouter()->Unsubscribe(this, major);
        delete static_cast<GSHandler*>(handlers_.PopNode(position));
    }
}

void GSGameObject::DumpThreadStacks() {
    int number = 0;
    const Kiv::PString name = GetName();
    for (auto* at = threads_.Begin(); at != threads_.End(); at = at->Next(), ++number) {
        GSLog("*** STACK DUMP OF THREAD %d ON GAME OBJECT %s, id %d ***", number, name.c_str(), GetId());
        static_cast<GSThread*>(at)->Stack().Dump();
        GSLog("\n");
    }
}
