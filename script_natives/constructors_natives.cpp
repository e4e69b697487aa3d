// The natives of the static class "ConstructorsBase": empty soups, KUID lists and images
// made in the caller's context.
#include "script_natives/gso_image.h"
#include "script_natives/gso_kuid_list.h"
#include "script_natives/gso_soup.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_plain_native_table.h"
#include "script_runtime/gs_stack.h"

namespace {

void NewSoup(GSContext* context, GSStack* stack) {
    stack->PushObjectNoRef(GSOSoup::Construct(context), ScriptClasses().soup);
}

void NewKUIDList(GSContext* context, GSStack* stack) {
    stack->PushObjectNoRef(GSOKUIDList::Construct(context), ScriptClasses().kuidList);
}

void NewImage(GSContext* context, GSStack* stack) {
    stack->PushObjectNoRef(GSOImage::Construct(context), ScriptClasses().image);
}

const GSPlainNative kConstructorsNatives[] = {
    {"$Soup@ConstructorsBase::NewSoup()", NewSoup},
    {"$KUIDList@ConstructorsBase::NewKUIDList()", NewKUIDList},
    {"$Image@ConstructorsBase::NewImage()", NewImage},
};

}  // namespace

void RegisterConstructorsBaseNatives(GSMachine& machine) {
    GSRegisterPlainNatives(machine, "ConstructorsBase", kConstructorsNatives);
}
