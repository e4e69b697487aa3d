// The natives of the script class "Library", their registrar and the maker of library
// objects that library specs use.
#include <string>
#include <vector>

#include "script_natives/gso_asset.h"
#include "script_natives/gso_kuid.h"
#include "script_natives/gso_library.h"
#include "script_natives/gso_online_access.h"
#include "script_natives/gso_security_token.h"
#include "script_natives/kodrin_script_context.h"
#include "script_natives/native_arguments.h"
#include "script_natives/native_plugin_loader.h"
#include "script_natives/native_registration.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_stack.h"
#include "validation/specs/gso_library_spec.h"

namespace {

const MemberNative<GSOLibrary> kLibraryNatives[] = {
    {"$OnlineAccess@Library::GetOnlineAccess()", &GSOLibrary::GetOnlineAccess},
    {"$string@Library::LibraryCallNative(string,string[],GSObject[])", &GSOLibrary::LibraryCallNative},
    {"$SecurityToken@Library::IssueSecurityToken(KUID,string[])", &GSOLibrary::IssueSecurityToken},
    {"$SecurityToken@Library::IssueSecurityToken(SecurityToken,KUID,string[])", &GSOLibrary::ReIssueSecurityToken},
    {"$SecurityToken@Library::MergeSecurityTokens(SecurityToken[])", &GSOLibrary::MergeSecurityTokens},
    {"$bool@Library::Validate(SecurityToken,Library,string)", &GSOLibrary::ValidateForLibrary},
    {"$bool@Library::Validate(SecurityToken,KUID,string)", &GSOLibrary::ValidateForKUID},
    {"$void@Library::AddSystemMenuIcon(Asset,string,string)", &GSOLibrary::AddSystemMenuIcon},
    {"$void@Library::BlinkSystemMenuIcon(int)", &GSOLibrary::BlinkSystemMenuIcon},
    {"$void@Library::RemoveSystemMenuIcon()", &GSOLibrary::RemoveSystemMenuIcon},
    {"$void@Library::ShowSystemMenuIconMenu(Menu)", &GSOLibrary::ShowSystemMenuIconMenu},
};

GSObject* MakeLibrary(GSOLibrarySpec& spec, GSContext* context) {
    return GSOLibrary::Create(spec, dynamic_cast<KodrinScriptContext*>(context));
}

// The texts of a string[] (null elements, and elements that are not strings, as null).
std::vector<std::string> TextsOf(const GSArray* array, std::vector<bool>& present) {
    std::vector<std::string> texts;
    for (int32_t i = 0; array && i < array->Count(); ++i) {
        GSSlot* element = nullptr;
        array->GetObject(i, element, false);
        const GSString* text = NativeObjectAs<GSString>(element);
        texts.emplace_back(text ? std::string(text->View()) : std::string());
        present.push_back(text != nullptr);
    }
    return texts;
}

void PushToken(GSStack* stack, GSOSecurityToken* token) { stack->PushObjectNoRef(token, ScriptClasses().securityToken); }

} // namespace

void RegisterLibraryNatives(GSMachine& machine) {
    RegisterMemberNatives<GSOLibrary>(machine, "Library", kLibraryNatives);
    GSOLibrarySpec::SetInstanceMaker(&MakeLibrary);
}

void PushLibraryObject(GSStack* stack, GSOLibrary* library) { stack->PushObject(library, ScriptClasses().library); }

void GSOLibrary::GetOnlineAccess(GSStack* stack) {
    stack->PushObjectNoRef(GSOOnlineAccess::GetScriptObjectForKey(GetKUID(), Context()), ScriptClasses().onlineAccess);
}

void GSOLibrary::LibraryCallNative(GSStack* stack) {
    Kiv::PString name;
    if (!CheckStringArgument(stack, 1, false, name)) return;
    if (!plugin_) {
        GSLog("Library.LibraryCall> unknown function '%s' was called on object '%s'", name.c_str(),
              Spec().GetDisplayName().c_str());
        stack->PushString("", Context());
        return;
    }
    std::vector<bool> present;
    const std::vector<std::string> texts = TextsOf(NativeObjectAs<GSArray>(ArgumentReference(stack, 2)), present);
    std::vector<const char*> arguments;
    for (size_t i = 0; i < texts.size(); ++i) arguments.push_back(present[i] ? texts[i].c_str() : nullptr);
    stack->PushString(CallNativePlugin(plugin_, name.c_str(), arguments), Context());
}

void GSOLibrary::IssueSecurityToken(GSStack* stack) {
    GSOKUID* kuid = nullptr;
    GSArray* rights = nullptr;
    if (!CheckObjectArgument(stack, 1, kuid, false) || !CheckObjectArgument(stack, 2, rights)) return;
    PushToken(stack, GSOSecurityToken::Issue(kuid->Value(), Context(), this, rights));
}

void GSOLibrary::ReIssueSecurityToken(GSStack* stack) {
    GSOSecurityToken* token = nullptr;
    GSOKUID* kuid = nullptr;
    GSArray* rights = nullptr;
    if (!CheckObjectArgument(stack, 1, token) || !CheckObjectArgument(stack, 2, kuid, false) ||
        !CheckObjectArgument(stack, 3, rights))
        return;
    PushToken(stack, GSOSecurityToken::ReIssueToken(*token, *this, kuid->Value(), rights));
}

void GSOLibrary::MergeSecurityTokens(GSStack* stack) {
    GSArray* tokens = nullptr;
    if (!CheckObjectArgument(stack, 1, tokens)) return;
    PushToken(stack, GSOSecurityToken::Merge(*this, tokens));
}

void GSOLibrary::PushValidation(GSStack* stack, const GSOSecurityToken& token, const SecurityTokenIssuer* issuer) {
    Kiv::PString right;
    if (!CheckStringArgument(stack, 3, true, right)) return;
    stack->PushInt(GSOSecurityToken::Validate(token, issuer, GetKUID(), right) ? 1 : 0);
}

void GSOLibrary::ValidateForLibrary(GSStack* stack) {
    GSOSecurityToken* token = nullptr;
    GSOLibrary* issuer = nullptr;
    if (!CheckObjectArgument(stack, 1, token) || !CheckObjectArgument(stack, 2, issuer)) return;
    PushValidation(stack, *token, issuer);
}

// The arguments are checked before the look-up, which may make the library and run its
// script. A KUID that names no library of the context validates nothing: false is pushed.
void GSOLibrary::ValidateForKUID(GSStack* stack) {
    GSOSecurityToken* token = nullptr;
    GSOKUID* kuid = nullptr;
    if (!CheckObjectArgument(stack, 1, token) || !CheckObjectArgument(stack, 2, kuid, false)) return;
    KodrinScriptContext* context = GetScriptContext();
    PushValidation(stack, *token, context ? context->GetScriptLibrary(kuid->Value()) : nullptr);
}

void GSOLibrary::AddSystemMenuIcon(GSStack* stack) {
    GSOAsset* asset = nullptr;
    Kiv::PString first;
    Kiv::PString second;
    if (!CheckObjectArgument(stack, 1, asset) || !CheckStringArgument(stack, 2, true, first) ||
        !CheckStringArgument(stack, 3, true, second))
        return;
    if (KodrinScriptContext* context = GetScriptContext())
        context->SetSystemMenuIcon(this, asset->GetAssetKUID(), first, second);
}

void GSOLibrary::BlinkSystemMenuIcon(GSStack* stack) {
    if (KodrinScriptContext* context = GetScriptContext())
        context->BlinkSystemMenuIcon(this, ArgumentValue(stack, 1).i);
}

void GSOLibrary::RemoveSystemMenuIcon(GSStack*) {
    if (KodrinScriptContext* context = GetScriptContext())
        context->SetSystemMenuIcon(this, KUID::Null(), Kiv::PString(), Kiv::PString());
}

void GSOLibrary::ShowSystemMenuIconMenu(GSStack* stack) {
    if (KodrinScriptContext* context = GetScriptContext()) context->ShowSystemMenuIconMenu(this, stack);
}
