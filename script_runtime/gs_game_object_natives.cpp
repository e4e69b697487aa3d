// The natives of the script class "GameObject": messages (send, post, clear), handlers and
// sniffing, sleep, the node's id and name, and script-raised exceptions. Misuse is reported
// (a thread exception or a log line) and the call then ends without effect.
#include <string>

#include "script_runtime/gs_class.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_interpreter_state.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_native_arguments.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_thread.h"

namespace {

const char* TextOf(const GSSlot& argument) {
    const GSString* string = GSStringOf(static_cast<GSSlot*>(argument.p));
    return string ? string->Text().c_str() : nullptr;
}

void RaiseException(const char* text, bool continueRunning) {
    if (g_gsCurrentThread) g_gsCurrentThread->Exception(text, continueRunning);
}

// The target of AddHandler and Sniff, or null after the log line naming what is wrong.
GSGameObject* TargetOf(const GSSlot* arguments, const char* native) {
    auto* reference = static_cast<GSSlot*>(arguments[1].p);
    GSGameObject* target = GSGameObject::FromReference(reference);
    if (!reference) {
        GSLog("target object is null for GameObject::%s()", native);
    } else if (!target) {
        GSLog("target object is wrong type for GameObject::%s()", native);
    } else if (!TextOf(arguments[2])) {
        GSLog("major type is null for GameObject::%s()", native);
        return nullptr;
    }
    return target;
}

// The handler method "$void@<class>::<name>(Message)" of me's class, its own or inherited.
bool FindHandlerMethod(const GSClass* gsClass, const char* name, GSClass::FoundFunction& found) {
    const std::string signature = std::string("$void@") + (gsClass ? gsClass->Name() : "") + "::" + name + "(Message)";
    if (gsClass && gsClass->FindFunction(signature, found)) return true;
    const GSFunction* inherited = nullptr;
    int32_t offset = 0;
    if (gsClass && gsClass->FindInherited(signature, inherited, offset) && gsClass->FindFunction(inherited->name, found))
        return true;
    GSLog("Could not find handler %s for native GameObject::AddHandler()", signature.c_str());
    return false;
}

struct NativeRow {
    const char* signature;
    GSGameObject::Native member;
};

constexpr NativeRow kNatives[] = {
    {"$void@GameObject::SendMessage(GameObject,string,string)", &GSGameObject::SendMessageNative},
    {"$void@GameObject::PostMessage(GameObject,string,string,float)", &GSGameObject::PostMessageNative},
    {"$void@GameObject::ClearMessages(string,string)", &GSGameObject::ClearMessagesNative},
    {"$void@GameObject::AddHandler(GameObject,string,string,string)", &GSGameObject::AddHandlerNative},
    {"$void@GameObject::Sniff(GameObject,string,string,bool)", &GSGameObject::SniffNative},
    {"$void@GameObject::Sleep(float)", &GSGameObject::SleepNative},
    {"$int@GameObject::GetId()", &GSGameObject::GetIdNative},
    {"$string@GameObject::GetName()", &GSGameObject::GetNameNative},
    {"$void@GameObject::Exception(string)", &GSGameObject::ExceptionNative},
};

}  // namespace

GSGameObject::Native GSGameObject::FindNative(std::string_view signature) {
    for (const NativeRow& row : kNatives)
        if (signature == row.signature) return row.member;
    return nullptr;
}

void GSGameObject::SendMessageNative(GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    if (g_gsCurrentThread && g_gsCurrentThread->IsStatic()) {
        RaiseException("Static Thread cannot call SendMessage", false);
        return;
    }
    const char* major = TextOf(arguments[2]);
    const char* minor = TextOf(arguments[3]);
    if (!major || !minor) {
        RaiseException("GameObject::SendMessage() illegal major or minor string", false);
        return;
    }
    const GSGameObject* destination = FromReference(static_cast<GSSlot*>(arguments[1].p));
    GSMessage* message = RequestMessage(major, minor, destination ? destination->GetId() : 0, 0);
    if (message && GetRouter()) GetRouter()->SendMessage(message);
}

void GSGameObject::PostMessageNative(GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    const char* major = TextOf(arguments[2]);
    const char* minor = TextOf(arguments[3]);
    if (!major || !minor) {
        RaiseException("GameObject::PostMessage() illegal major or minor string", false);
        return;
    }
    const GSGameObject* destination = FromReference(static_cast<GSSlot*>(arguments[1].p));
    GSMessage* message = RequestMessage(major, minor, destination ? destination->GetId() : 0,
                                        GSDelayMilliseconds(arguments[4].f));
    if (message && GetRouter()) GetRouter()->PostMessage(message);
}

void GSGameObject::ClearMessagesNative(GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (arguments && GetRouter()) GetRouter()->ClearMessages(this, TextOf(arguments[1]), TextOf(arguments[2]));
}

void GSGameObject::AddHandlerNative(GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    GSRouter* router = GetRouter();
    if (!arguments || !router) return;
    GSGameObject* target = TargetOf(arguments, "AddHandler");
    if (!target) return;
    const uint16_t major = router->GetMajorTypeId(TextOf(arguments[2]));
    const uint16_t minor = router->GetMajorTypeId(TextOf(arguments[3]));
    const char* name = TextOf(arguments[4]);
    if (!name || !*name) return target->RemoveMethodHandlers(GetId(), major, minor);
    const GSScriptInstance* instance = GSInstanceOf(GetInstance());
    GSClass::FoundFunction found{};
    if (!FindHandlerMethod(instance ? instance->Class() : nullptr, name, found)) return;
    target->AddMethodHandler(GetId(), found.ancestorOffset, found.slot, major, minor);
}

void GSGameObject::SniffNative(GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    GSRouter* router = GetRouter();
    if (!arguments || !router) return;
    GSGameObject* target = TargetOf(arguments, "Sniff");
    if (!target) return;
    const uint16_t major = router->GetMajorTypeId(TextOf(arguments[2]));
    const uint16_t minor = router->GetMajorTypeId(TextOf(arguments[3]));
    if (arguments[4].i != 0) return target->AddSniff(GetId(), major, minor);
    target->RemoveSniffs(GetId(), major, minor);
}

void GSGameObject::SleepNative(GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    GSThread* thread = g_gsCurrentThread;
    if (!arguments || !thread || thread->IsStatic() || !(arguments[1].f > 1e-6f)) return;
    thread->SetState(GSThread::kWaiting);
    thread->SetSleepTime(arguments[1].f);
}

void GSGameObject::GetIdNative(GSStack* stack) {
    if (stack) stack->PushInt(GetId());
}

void GSGameObject::GetNameNative(GSStack* stack) {
    if (stack) stack->PushString(GetName().View(), Context());
}

void GSGameObject::ExceptionNative(GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    const char* text = TextOf(arguments[1]);
    RaiseException(text ? text : "", true);
}
