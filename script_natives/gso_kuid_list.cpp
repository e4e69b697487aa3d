// The KUID lists and their natives.
#include "script_natives/gso_kuid_list.h"

#include "script_natives/gso_kuid.h"
#include "script_natives/native_arguments.h"
#include "script_natives/native_registration.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_stack.h"

namespace {

// The list's refusal text, which AddKUID and RemoveKUID share with Copy.
constexpr const char* kCopyLocked = "KUIDList.Copy> list is locked";

const MemberNative<GSOKUIDList> kKUIDListNatives[] = {
    {"$int@KUIDList::CountKUIDs()", &GSOKUIDList::CountKUIDs},
    {"$void@KUIDList::AddKUID(KUID)", &GSOKUIDList::AddKUID},
    {"$void@KUIDList::RemoveKUID(KUID)", &GSOKUIDList::RemoveKUID},
    {"$bool@KUIDList::HasKUID(KUID)", &GSOKUIDList::HasKUID},
    {"$KUID@KUIDList::GetIndexedKUID(int)", &GSOKUIDList::GetIndexedKUID},
    {"$void@KUIDList::Copy(KUIDList)", &GSOKUIDList::Copy},
    {"$void@KUIDList::Clear()", &GSOKUIDList::Clear},
    {"$bool@KUIDList::IsLocked()", &GSOKUIDList::IsLocked},
};

}  // namespace

void RegisterKUIDListNatives(GSMachine& machine) {
    RegisterMemberNatives<GSOKUIDList>(machine, "KUIDList", kKUIDListNatives);
}

GSOKUIDList* GSOKUIDList::Attached(GSOKUIDList* object, GSContext* context) {
    if (object->Attach(ScriptClasses().kuidList, context)) return object;
    delete object;
    return nullptr;
}

GSOKUIDList* GSOKUIDList::Construct(GSContext* context) { return Attached(new GSOKUIDList(List(), false), context); }

GSOKUIDList* GSOKUIDList::ConstructLocked(GSContext* context, const List& list) {
    return Attached(new GSOKUIDList(list, true), context);
}

bool GSOKUIDList::Unlocked(const char* text) const { return !locked_ || RaiseScriptError(text); }

void GSOKUIDList::CountKUIDs(GSStack* stack) { stack->PushInt(list_.Count()); }

void GSOKUIDList::AddKUID(GSStack* stack) {
    GSOKUID* kuid;
    if (!Unlocked(kCopyLocked) || !CheckObjectArgument(stack, 1, kuid, false)) return;
    if (list_.Find(kuid->Value()).IsEnd()) list_.PushBack(kuid->Value());
}

void GSOKUIDList::RemoveKUID(GSStack* stack) {
    GSOKUID* kuid;
    if (!Unlocked(kCopyLocked) || !CheckObjectArgument(stack, 1, kuid, false)) return;
    list_.Erase(list_.Find(kuid->Value()));
}

void GSOKUIDList::HasKUID(GSStack* stack) {
    GSOKUID* kuid;
    if (!CheckObjectArgument(stack, 1, kuid, false)) return;
    stack->PushInt(list_.Find(kuid->Value()).IsEnd() ? 0 : 1);
}

void GSOKUIDList::GetIndexedKUID(GSStack* stack) {
    const int32_t index = ArgumentValue(stack, 1).i;
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(list_.Count())) {
        RaiseScriptError("KUIDList.GetIndexedKUID> index out of range");
        return;
    }
    PushKUIDObject(stack, *list_.At(index), Context());
}

// Assignment copies block by block and leaves a list copied onto itself unchanged.
void GSOKUIDList::Copy(GSStack* stack) {
    GSOKUIDList* other;
    if (!Unlocked(kCopyLocked) || !CheckObjectArgument(stack, 1, other)) return;
    list_ = other->list_;
}

void GSOKUIDList::Clear(GSStack*) {
    if (Unlocked("KUIDList.Clear> list is locked")) list_.Clear();
}

void GSOKUIDList::IsLocked(GSStack* stack) { stack->PushInt(locked_ ? 1 : 0); }
