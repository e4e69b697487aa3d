// The natives of the static script class "KodrinScriptBase", bound to the script context:
// the clock, library and asset look-ups, the host's system call and URL opening, and the
// script log. The asset-list natives are in kodrin_asset_queries.cpp.
#include "foundation/jobs/job_timing.h"
#include "script_natives/gso_asset.h"
#include "script_natives/gso_kuid.h"
#include "script_natives/gso_soup.h"
#include "script_natives/kodrin_script_context.h"
#include "script_natives/native_arguments.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_native_function.h"
#include "script_runtime/gs_stack.h"

namespace {

struct ContextNative {
    const char* signature;
    GSCPPContextNativeFunction<KodrinScriptContext>::Member member;
};

const ContextNative kKodrinScriptBaseNatives[] = {
    {"$float@KodrinScriptBase::GetSeconds()", &KodrinScriptContext::GetSeconds},
    {"$Library@KodrinScriptBase::GetLibrary(KUID)", &KodrinScriptContext::GetLibrary},
    {"$Asset@KodrinScriptBase::FindAsset(KUID)", &KodrinScriptContext::FindAsset},
    {"$Asset[]@KodrinScriptBase::GetAssetList(string)", &KodrinScriptContext::GetAssetList},
    {"$Asset[]@KodrinScriptBase::GetAssetList(string,string)", &KodrinScriptContext::GetAssetListWithTokens},
    {"$KUID[]@KodrinScriptBase::SearchAssets(string,bool)", &KodrinScriptContext::SearchAssets},
    {"$Asset[]@KodrinScriptBase::FindUpdatedAssets()", &KodrinScriptContext::FindUpdatedAssets},
    {"$Soup@KodrinScriptBase::KodrinSystemCall(string,Soup)", &KodrinScriptContext::KodrinSystemCall},
    {"$bool@KodrinScriptBase::OpenURL(string)", &KodrinScriptContext::OpenURLNative},
    {"$void@KodrinScriptBase::Log(string)", &KodrinScriptContext::Log},
};

}  // namespace

void RegisterKodrinScriptBaseNatives(GSMachine& machine) {
    const Kiv::PString name("KodrinScriptBase");
    for (const ContextNative& native : kKodrinScriptBaseNatives)
        machine.RegisterNative(new GSCPPContextNativeFunction<KodrinScriptContext>(
            name, Kiv::PString(native.signature), native.member));
}

void KodrinScriptContext::GetSeconds(GSStack* stack) { stack->PushFloat(GetJobClock()); }

void KodrinScriptContext::GetLibrary(GSStack* stack) {
    GSOKUID* kuid = nullptr;
    if (!CheckObjectArgument(stack, 1, kuid)) return;
    PushLibraryObject(stack, GetScriptLibrary(kuid->Value()));
}

void KodrinScriptContext::FindAsset(GSStack* stack) {
    GSOKUID* kuid = nullptr;
    if (!CheckObjectArgument(stack, 1, kuid)) return;
    PushAssetObject(stack, GSOAsset::Create(this, kuid->Value()));
}

void KodrinScriptContext::KodrinSystemCall(GSStack* stack) {
    Kiv::PString name;
    GSOSoup* soup = nullptr;
    if (!CheckStringArgument(stack, 1, false, name) || !CheckObjectArgument(stack, 2, soup)) return;
    const ACSChunkRef answer = SystemCall(name, soup->Chunk());
    stack->PushObjectNoRef(GSOSoup::CreateForSoup(this, answer), ScriptClasses().soup);
}

void KodrinScriptContext::OpenURLNative(GSStack* stack) {
    Kiv::PString url;
    if (!CheckStringArgument(stack, 1, false, url)) return;
    stack->PushInt(OpenURL(url) ? 1 : 0);
}

void KodrinScriptContext::Log(GSStack* stack) {
    Kiv::PString text;
    if (!CheckStringArgument(stack, 1, true, text)) return;
    GSLog("%s", text.c_str());
}
