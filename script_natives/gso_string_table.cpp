// The string tables and their natives.
#include "script_natives/gso_string_table.h"

#include <cstdio>

#include "foundation/text/interface_text.h"
#include "script_natives/native_arguments.h"
#include "script_natives/native_registration.h"
#include "script_natives/native_spec_access.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_stack.h"

namespace {

const MemberNative<GSOStringTable> kStringTableNatives[] = {
    {"$string@StringTable::GetLanguage()", &GSOStringTable::GetLanguage},
    {"$void@StringTable::ClearParams()", &GSOStringTable::ClearParams},
    {"$void@StringTable::SetParam(int,string)", &GSOStringTable::SetParam},
    {"$string@StringTable::GetString(string)", &GSOStringTable::GetString},
};

}  // namespace

void RegisterStringTableNatives(GSMachine& machine) {
    RegisterMemberNatives<GSOStringTable>(machine, "StringTable", kStringTableNatives);
}

GSOStringTable::GSOStringTable(KodrinBaseSpec* spec) : spec_(spec) {
    NativeSpecs().AddUse(spec_);
    table_ = NativeSpecs().GetConfig(spec_).GetNamedSoup(Kiv::PString("string-table"));
}

GSOStringTable* GSOStringTable::Construct(GSContext* context, KodrinBaseSpec* spec) {
    auto* object = new GSOStringTable(spec);
    if (object->Attach(ScriptClasses().stringTable, context)) return object;
    delete object;
    return nullptr;
}

GSOStringTable::~GSOStringTable() {
    parameters_ = StringTableParameters();
    table_.Release();
    NativeSpecs().ReleaseUse(spec_);
}

// The interface text loads on first use, under the resource lock; a language text that is
// missing or empty reads as "english".
void GSOStringTable::GetLanguage(GSStack* stack) {
    const Kiv::PString text = InterfaceTextDB::Instance().GetString(Kiv::PString("$main_language"), false);
    stack->PushString(text.IsEmpty() ? "english" : text.View(), Context());
}

void GSOStringTable::ClearParams(GSStack*) { parameters_ = StringTableParameters(); }

void GSOStringTable::SetParam(GSStack* stack) {
    Kiv::PString value;
    if (!CheckStringArgument(stack, 2, true, value)) return;
    const int32_t index = ArgumentValue(stack, 1).i;
    if (index < 0 || index > 9) {
        char text[80];
        std::snprintf(text, sizeof text, "StringTable.SetParam> index (%d) out of range (0..9)", index);
        RaiseScriptError(text);
        return;
    }
    parameters_[static_cast<size_t>(index)] = value;
}

void GSOStringTable::GetString(GSStack* stack) {
    Kiv::PString key;
    CheckStringArgument(stack, 1, true, key);
    if (key.IsEmpty()) {
        stack->PushString("", Context());
        return;
    }
    key = key.ToLower();
    const Kiv::PString text = table_.HasTag(key) ? Kiv::PString(table_.GetNamedTag(key).View())
                                                 : InterfaceTextDB::Instance().GetScenarioString(key);
    stack->PushString(ExpandStringTableText(text.View(), parameters_), Context());
}
