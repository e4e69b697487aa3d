// The natives of the static script class "Router", which act on the calling context's
// router: game objects by node id (here or in any context that allows foreign lookups) or
// by name, the router's Info block, and posting a message in the name of any node.
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_native_arguments.h"
#include "script_runtime/gs_router.h"

namespace {

const char* TextOf(const GSSlot& argument) {
    const GSString* string = GSStringOf(static_cast<GSSlot*>(argument.p));
    return string ? string->Text().c_str() : nullptr;
}

// The node's game object when its script instance may be handed to scripts. An object on
// its way out (its last reference gone) is not handed out again.
GSGameObject* VisibleGameObject(GSNode* node, bool checkSecured) {
    GSGameObject* gameObject = GSGameObject::FromNode(node);
    const GSScriptInstance* instance = gameObject ? GSInstanceOf(gameObject->GetInstance()) : nullptr;
    if (!instance || instance->ReferenceCount() <= 0 || gameObject->DestroyRequested()) return nullptr;
    if (checkSecured && (!instance->Class() || (instance->Class()->Flags() & GS_CLASS_SECURED))) return nullptr;
    return gameObject;
}

struct NativeRow {
    const char* signature;
    GSContext::RouterNative member;
};

constexpr NativeRow kNatives[] = {
    {"$GameObject@Router::GetGameObject(int)", &GSContext::RouterGetGameObjectNative},
    {"$GameObject@Router::GetForeignGameObject(int)", &GSContext::RouterGetForeignGameObjectNative},
    {"$GameObject@Router::GetGameObject(string)", &GSContext::RouterGetGameObjectByNameNative},
    {"$void@Router::Info()", &GSContext::RouterInfoNative},
    {"$void@Router::PostMessage(int,int,string,string,float)", &GSContext::RouterPostMessageNative},
};

}  // namespace

GSContext::RouterNative GSContext::FindRouterNative(std::string_view signature) {
    for (const NativeRow& row : kNatives)
        if (signature == row.signature) return row.member;
    return nullptr;
}

void GSContext::RouterGetGameObjectNative(GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    GSGameObject* found = router_ ? VisibleGameObject(router_->GetNode(arguments[1].i), true) : nullptr;
    stack->PushObject(found, found ? GetGameObjectClass() : nullptr);
}

void GSContext::RouterGetForeignGameObjectNative(GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    GSGameObject* found = nullptr;
    for (GSContext* context : LiveContexts()) {
        GSRouter* router = context->GetRouter();
        if (!router || router->NoForeignLookup()) continue;
        found = VisibleGameObject(router->GetNode(arguments[1].i), true);
        if (found) break;
    }
    stack->PushObject(found, found ? GetGameObjectClass() : nullptr);
}

void GSContext::RouterGetGameObjectByNameNative(GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    const char* name = TextOf(arguments[1]);
    GSGameObject* found = router_ && name ? VisibleGameObject(router_->GetNodeByName(name), false) : nullptr;
    stack->PushObject(found, found ? GetGameObjectClass() : nullptr);
}

void GSContext::RouterInfoNative(GSStack*) {
    if (router_) router_->Info();
}

void GSContext::RouterPostMessageNative(GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments || !router_) return;
    const char* major = TextOf(arguments[3]);
    const char* minor = TextOf(arguments[4]);
    if (!major || !minor) return;
    GSMessage* message = router_->NewFrameMessage();
    if (!message) return;
    message->minor = router_->GetMajorTypeId(minor);
    message->major = router_->GetMajorTypeId(major);
    message->source = arguments[1].i;
    message->destination = arguments[2].i;
    message->timeWord = GSDelayMilliseconds(arguments[5].f) | kGSMessageBuilt;
    router_->PostMessage(message);
}
