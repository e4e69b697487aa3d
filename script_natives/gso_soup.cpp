// The soup objects and their natives. Setters test the lock, then the name, then the value.
#include "script_natives/gso_soup.h"

#include "script_natives/gso_kuid.h"
#include "script_natives/native_arguments.h"
#include "script_natives/native_registration.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_stack.h"

namespace {

constexpr const char* kSetLocked = "Soup.SetNamedTag> parent soup is locked";

const MemberNative<GSOSoup> kSoupNatives[] = {
    {"$int@Soup::CountTags()", &GSOSoup::CountTags},
    {"$string@Soup::GetNamedTag(string)", &GSOSoup::GetNamedTag},
    {"$Soup@Soup::GetNamedSoup(string)", &GSOSoup::GetNamedSoup},
    {"$string@Soup::GetIndexedTagName(int)", &GSOSoup::GetIndexedTagName},
    {"$int@Soup::GetIndexForNamedTag(string)", &GSOSoup::GetIndexForNamedTag},
    {"$KUID@Soup::GetNamedTagAsKUID(string)", &GSOSoup::GetNamedTagAsKUID},
    {"$int@Soup::GetNamedTagAsInt(string)", &GSOSoup::GetNamedTagAsInt},
    {"$int@Soup::GetNamedTagAsInt(string,int)", &GSOSoup::GetNamedTagAsIntOr},
    {"$float@Soup::GetNamedTagAsFloat(string)", &GSOSoup::GetNamedTagAsFloat},
    {"$float@Soup::GetNamedTagAsFloat(string,float)", &GSOSoup::GetNamedTagAsFloatOr},
    {"$void@Soup::SetNamedTag(string,string)", &GSOSoup::SetNamedTagString},
    {"$void@Soup::SetNamedTag(string,float)", &GSOSoup::SetNamedTagFloat},
    {"$void@Soup::SetNamedTag(string,int)", &GSOSoup::SetNamedTagInt},
    {"$void@Soup::SetNamedTag(string,KUID)", &GSOSoup::SetNamedTagKUID},
    {"$void@Soup::SetNamedSoup(string,Soup)", &GSOSoup::SetNamedSoup},
    {"$void@Soup::RemoveNamedTag(string)", &GSOSoup::RemoveNamedTag},
    {"$void@Soup::Copy(Soup)", &GSOSoup::Copy},
    {"$void@Soup::Clear()", &GSOSoup::Clear},
    {"$bool@Soup::IsLocked()", &GSOSoup::IsLocked},
    {"$void@Soup::AddUniqueNamedSoup(Soup)", &GSOSoup::AddUniqueNamedSoup},
    {"$void@Soup::Log()", &GSOSoup::Log},
};

}  // namespace

void RegisterSoupNatives(GSMachine& machine) { RegisterMemberNatives<GSOSoup>(machine, "Soup", kSoupNatives); }

GSOSoup* GSOSoup::Attached(GSOSoup* object, GSContext* context) {
    if (object->Attach(ScriptClasses().soup, context)) return object;
    delete object;
    return nullptr;
}

GSOSoup* GSOSoup::Construct(GSContext* context) { return Attached(new GSOSoup(ACSChunkRef(), false), context); }

GSOSoup* GSOSoup::CreateForSoup(GSContext* context, const ACSChunkRef& soup) {
    return Attached(new GSOSoup(soup, true), context);
}

bool GSOSoup::Unlocked(const char* text) const { return !locked_ || RaiseScriptError(text); }

bool GSOSoup::TagName(GSStack* stack, Kiv::PString& name) {
    if (!CheckStringArgument(stack, 1, false, name)) return false;
    name = name.ToLower();
    return true;
}

void GSOSoup::CountTags(GSStack* stack) { stack->PushInt(soup_.CountTags()); }

void GSOSoup::GetNamedTag(GSStack* stack) {
    Kiv::PString name;
    if (TagName(stack, name)) stack->PushString(soup_.GetNamedTag(name).View(), Context());
}

void GSOSoup::GetNamedSoup(GSStack* stack) {
    Kiv::PString name;
    if (!TagName(stack, name)) return;
    stack->PushObjectNoRef(CreateForSoup(Context(), soup_.GetNamedSoup(name)), ScriptClasses().soup);
}

void GSOSoup::GetIndexedTagName(GSStack* stack) {
    stack->PushString(soup_.GetIndexedTagName(ArgumentValue(stack, 1).i).View(), Context());
}

void GSOSoup::GetIndexForNamedTag(GSStack* stack) {
    Kiv::PString name;
    if (!TagName(stack, name)) return;
    const int32_t count = soup_.CountTags();
    for (int32_t i = 0; i < count; ++i) {
        if (soup_.GetIndexedTagName(i) == name) {
            stack->PushInt(i);
            return;
        }
    }
    stack->PushInt(-1);
}

void GSOSoup::GetNamedTagAsKUID(GSStack* stack) {
    Kiv::PString name;
    if (!TagName(stack, name)) return;
    const KUID kuid = soup_.GetNamedTagAsKUID(name, KUID::Null());
    if (kuid.IsNull()) {
        stack->PushObjectNoRef(nullptr, nullptr);
        return;
    }
    PushKUIDObject(stack, kuid, Context());
}

void GSOSoup::GetNamedTagAsInt(GSStack* stack) {
    Kiv::PString name;
    if (TagName(stack, name)) stack->PushInt(soup_.GetNamedTagAsInt(name, 0));
}

void GSOSoup::GetNamedTagAsIntOr(GSStack* stack) {
    Kiv::PString name;
    if (TagName(stack, name)) stack->PushInt(soup_.GetNamedTagAsInt(name, ArgumentValue(stack, 2).i));
}

void GSOSoup::GetNamedTagAsFloat(GSStack* stack) {
    Kiv::PString name;
    if (TagName(stack, name)) stack->PushFloat(soup_.GetNamedTagAsFloat(name, 0.0f));
}

void GSOSoup::GetNamedTagAsFloatOr(GSStack* stack) {
    Kiv::PString name;
    if (TagName(stack, name)) stack->PushFloat(soup_.GetNamedTagAsFloat(name, ArgumentValue(stack, 2).f));
}

void GSOSoup::SetNamedTagString(GSStack* stack) {
    Kiv::PString name;
    Kiv::PString value;
    if (!Unlocked(kSetLocked) || !TagName(stack, name) || !CheckStringArgument(stack, 2, true, value)) return;
    soup_.SetNamedTagString(name, value.c_str());
}

void GSOSoup::SetNamedTagFloat(GSStack* stack) {
    Kiv::PString name;
    if (Unlocked(kSetLocked) && TagName(stack, name)) soup_.SetNamedTagFloat(name, ArgumentValue(stack, 2).f);
}

void GSOSoup::SetNamedTagInt(GSStack* stack) {
    Kiv::PString name;
    if (Unlocked(kSetLocked) && TagName(stack, name)) soup_.SetNamedTagInt(name, ArgumentValue(stack, 2).i);
}

void GSOSoup::SetNamedTagKUID(GSStack* stack) {
    Kiv::PString name;
    GSOKUID* kuid;
    if (!Unlocked("Soup.SetNamedKUID> parent soup is locked") || !TagName(stack, name) ||
        !CheckObjectArgument(stack, 2, kuid, true))
        return;
    soup_.SetNamedTagKUID(name, kuid ? kuid->Value() : KUID::Null());
}

void GSOSoup::SetNamedSoup(GSStack* stack) {
    Kiv::PString name;
    GSOSoup* sub;
    if (!Unlocked(kSetLocked) || !TagName(stack, name) || !CheckObjectArgument(stack, 2, sub)) return;
    if (sub->locked_) {
        RaiseScriptError("Soup.SetNamedTag> sub-soup parameter is locked");
        return;
    }
    soup_.SetNamedSoup(name, sub->soup_);
}

void GSOSoup::RemoveNamedTag(GSStack* stack) {
    Kiv::PString name;
    if (Unlocked("Soup.RemoveNamedTag> parent soup is locked") && TagName(stack, name)) soup_.RemoveNamedTag(name);
}

// CopyFrom makes the copy before it replaces the own soup, so a soup copied onto itself
// keeps its tags.
void GSOSoup::Copy(GSStack* stack) {
    GSOSoup* other;
    if (Unlocked("Soup.Copy> parent soup is locked") && CheckObjectArgument(stack, 1, other))
        soup_.CopyFrom(other->soup_);
}

void GSOSoup::Clear(GSStack*) {
    if (Unlocked("Soup.Clear> parent soup is locked")) soup_.Release();
}

void GSOSoup::IsLocked(GSStack* stack) { stack->PushInt(locked_ ? 1 : 0); }

void GSOSoup::AddUniqueNamedSoup(GSStack* stack) {
    GSOSoup* sub;
    if (!Unlocked("Soup.AddUniqueNamedSoup> parent soup is locked") || !CheckObjectArgument(stack, 1, sub)) return;
    if (sub->locked_) {
        RaiseScriptError("Soup.AddUniqueNamedSoup> sub-soup parameter is locked");
        return;
    }
    soup_.SetNamedSoup(soup_.GetUniqueTagName(), sub->soup_);
}

void GSOSoup::Log(GSStack*) { soup_.Log(); }
