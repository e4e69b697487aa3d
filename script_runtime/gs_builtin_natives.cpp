// The built-in binding table: GetGSClassName is GSObject's own, the GameObject natives are
// members of GSGameObject (found by signature in its own table), the Router natives members
// of the script context.
#include "script_runtime/gs_builtin_natives.h"

#include <iterator>

#include "script_runtime/gs_context.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_native_function.h"

namespace {

enum class Kind { Plain, GameObjectMember, ContextMember };

struct Builtin {
    const char* signature;
    const char* className;
    Kind kind;
};

constexpr Builtin kBuiltins[] = {
    {"$string@GSObject::GetGSClassName()", "GSObject", Kind::Plain},
    {"$void@GameObject::SendMessage(GameObject,string,string)", "GameObject", Kind::GameObjectMember},
    {"$void@GameObject::PostMessage(GameObject,string,string,float)", "GameObject", Kind::GameObjectMember},
    {"$void@GameObject::ClearMessages(string,string)", "GameObject", Kind::GameObjectMember},
    {"$void@GameObject::AddHandler(GameObject,string,string,string)", "GameObject", Kind::GameObjectMember},
    {"$void@GameObject::Sniff(GameObject,string,string,bool)", "GameObject", Kind::GameObjectMember},
    {"$void@GameObject::Sleep(float)", "GameObject", Kind::GameObjectMember},
    {"$int@GameObject::GetId()", "GameObject", Kind::GameObjectMember},
    {"$string@GameObject::GetName()", "GameObject", Kind::GameObjectMember},
    {"$void@GameObject::Exception(string)", "GameObject", Kind::GameObjectMember},
    {"$GameObject@Router::GetGameObject(int)", "Router", Kind::ContextMember},
    {"$GameObject@Router::GetForeignGameObject(int)", "Router", Kind::ContextMember},
    {"$GameObject@Router::GetGameObject(string)", "Router", Kind::ContextMember},
    {"$void@Router::Info()", "Router", Kind::ContextMember},
    {"$void@Router::PostMessage(int,int,string,string,float)", "Router", Kind::ContextMember},
};

static_assert(std::size(kBuiltins) == 15);

GSNativeFunction* MakeBinding(const Builtin& builtin) {
    const Kiv::PString className(builtin.className);
    const Kiv::PString signature(builtin.signature);
    switch (builtin.kind) {
        case Kind::Plain:
            return new GSCNativeFunction(className, signature, GSObject::GetGSClassName);
        case Kind::GameObjectMember:
            return new GSCPPNativeFunction<GSGameObject>(className, signature,
                                                         GSGameObject::FindNative(builtin.signature));
        case Kind::ContextMember:
            return new GSCPPContextNativeFunction<GSContext>(className, signature,
                                                             GSContext::FindRouterNative(builtin.signature));
    }
    return nullptr;
}

}  // namespace

void RegisterGSBuiltinNatives(GSMachine& machine) {
    for (const Builtin& builtin : kBuiltins) machine.RegisterNative(MakeBinding(builtin));
}
