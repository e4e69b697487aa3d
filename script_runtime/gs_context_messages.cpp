// The context's Message objects: the classes "GameObject" and "Message" of "gs.gsl", and
// the script object that carries one router message (major and minor names, source and
// destination objects) into script code.
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_string.h"

namespace {

// Member slots of a Message instance, in declaration order after the two layout words.
constexpr int32_t kMajorSlot = 2;
constexpr int32_t kMinorSlot = 3;
constexpr int32_t kSourceSlot = 4;
constexpr int32_t kDestinationSlot = 5;

// A new string for a type name, or null for a name that is empty or unknown.
GSSlot* TypeNameString(GSContext* context, const GSRouter& router, uint16_t id) {
    const Kiv::String name = router.GetTypeName(id);
    if (name.Length() == 0) return nullptr;
    return (new GSString(context, name))->GetReference();
}

// The script instance of a node's game object, with one reference added; none for a node
// that is not a game object or an instance without counts.
GSSlot* NodeInstance(GSRouter& router, int32_t id) {
    GSGameObject* gameObject = GSGameObject::FromNode(router.GetNode(id));
    GSSlot* reference = gameObject ? gameObject->GetInstance() : nullptr;
    const GSScriptInstance* instance = GSInstanceOf(reference);
    if (!instance || instance->ReferenceCount() <= 0) return nullptr;
    GSAddReference(reference);
    return reference;
}

}  // namespace

void GSContext::SetMachine(GSMachine* machine) {
    machine_ = machine;
    gameObjectClass_ = messageClass_ = nullptr;
}

GSClass* GSContext::FindGsClass(const char* name, GSClass*& cache) {
    if (cache) return cache;
    GSMachine& machine = machine_ ? *machine_ : GSMachine::Get();
    GSLibrary* library = machine.GetLibraryByName("gs.gsl");
    cache = library ? library->FindClass(name) : nullptr;
    return cache;
}

GSClass* GSContext::GetGameObjectClass() { return FindGsClass("GameObject", gameObjectClass_); }

GSClass* GSContext::GetMessageClass() { return FindGsClass("Message", messageClass_); }

GSSlot* GSContext::CreateMessageObject(const GSMessage* message) {
    GSClass* messageClass = GetMessageClass();
    if (!message || !router_ || !messageClass || messageClass->InstanceSlotCount() <= kDestinationSlot) return nullptr;
    auto* object = new GSObject();
    if (!object->Attach(messageClass, this)) {
        delete object;
        return nullptr;
    }
    GSSlot* reference = object->GetInstance();
    GSScriptInstance* instance = GSInstanceOf(reference);
    StoreReference(TypeNameString(this, *router_, message->major), kMajorSlot, instance);
    StoreReference(TypeNameString(this, *router_, message->minor), kMinorSlot, instance);
    StoreReference(NodeInstance(*router_, message->source), kSourceSlot, instance);
    StoreReference(NodeInstance(*router_, message->destination), kDestinationSlot, instance);
    return reference;
}
