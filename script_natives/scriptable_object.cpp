// Scriptable objects: their three stages, their custom script text and their properties.
#include "script_natives/scriptable_object.h"

#include <vector>

#include "foundation/streams/t_stream.h"
#include "script_natives/custom_script_compile.h"
#include "script_natives/custom_script_text.h"
#include "script_natives/gso_asset.h"
#include "script_natives/gso_soup.h"
#include "script_natives/kodrin_script_context.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_runtime_call.h"
#include "validation/specs/kodrin_base_spec.h"

namespace {

constexpr const char* kInitSignature = "$void@KodrinGameObject::Init(Asset)";
constexpr const char* kSetPropertiesSignature = "$void@PropertyObject::SetProperties(Soup)";

KodrinBaseSpec* ScriptedSpec(const SpecRef& spec) { return dynamic_cast<KodrinBaseSpec*>(spec.Get()); }

} // namespace

ScriptableObject::ScriptableObject(KodrinScriptContext* context) : context_(context) {
    if (!context_) return;
    context_->EnterScriptable(this);
    RequestDelayedInit(*context_);
}

ScriptableObject::~ScriptableObject() {
    ForgetContext();
    pendingProperties_ = ACSChunkRef();
    DetachAll();
}

void ScriptableObject::ForgetContext() {
    if (!context_) return;
    CancelDelayedInit(*context_);
    context_->LeaveScriptable(this);
    context_ = nullptr;
}

GSClass* ScriptableObject::CompileScript() {
    const SpecRef spec = GetSpec();
    KodrinBaseSpec* scripted = ScriptedSpec(spec);
    if (!scripted) return nullptr;
    if (customText_.empty()) return scripted->GetGSClass();
    return CompileCustomScript(customText_, *scripted);
}

std::string ScriptableObject::GetScriptText() {
    if (!customText_.empty()) return customText_;
    const SpecRef spec = GetSpec();
    KodrinBaseSpec* scripted = ScriptedSpec(spec);
    if (!scripted) return CustomScriptTemplate({}, {});
    KodrinScripts& scripts = scripted->Scripts();
    if (!scripts.IsScriptPathResolved()) scripts.ResolveScriptPath();
    return CustomScriptTemplate(scripts.GetScriptClassName().View(), scripts.GetScriptLibrary().View());
}

void ScriptableObject::SetScriptText(const std::string& text) {
    const std::string wanted = IsBlankScriptText(text) ? std::string() : text;
    if (wanted == GetScriptText()) return;
    ReplaceCustomText(wanted);
}

void ScriptableObject::WriteScriptText(TStream& stream) { stream.WriteString(Kiv::String(customText_.c_str())); }

void ScriptableObject::ReadScriptText(TStream& stream) {
    Kiv::String text;
    if (stream.ReadString(text)) ReplaceCustomText(std::string(text.View()));
}

void ScriptableObject::ReplaceCustomText(std::string text) {
    if (text == customText_) return;
    customText_ = std::move(text);
    if (context_ && (DelayedInitClient::Flags() & kStage3Done)) Recompile();
}

void ScriptableObject::Recompile() {
    Attach(nullptr, context_);
    if (GSRouter* router = GetRouter()) router->RemoveNode(this);
    CompileAndAttach();
    InitScript();
}

void ScriptableObject::CompileAndAttach() {
    DelayedInitClient::SetFlags(kStage2Done);
    failed_ = 1;
    if (DelayedInitClient::Flags() & kNoCompile) return;
    GSClass* gsClass = CompileScript();
    if (!gsClass || !AcceptClass(gsClass)) return;
    const GSScriptInstance* instance = GSInstanceOf(GetInstance());
    if (!instance || !instance->Class()) Attach(gsClass, context_);
    else if (instance->Class() != gsClass) Attach(nullptr, context_);
    instance = GSInstanceOf(GetInstance());
    if (instance && instance->Class()) failed_ = 0;
}

void ScriptableObject::InitStage3() {
    InitScript();
    Update(0.0f);
}

void ScriptableObject::InitScript() {
    DelayedInitClient::SetFlags(kStage3Done);
    if (failed_) return;
    if (context_ && context_->GetRouter()) context_->GetRouter()->AddNode(this);
    OnJoinedRouter();
    OnBeforeInit();
    if (failed_) return;
    const SpecRef spec = GetSpec();
    GSOAsset* asset = GSOAsset::Create(context_, spec ? spec->GetKUID() : KUID::Null());
    GSSlot* reference = asset ? asset->GetInstance() : nullptr;
    if (!CallScript(kInitSignature, {reference})) failed_ = 1;
    GSReleaseReference(reference);
    if (failed_) return;
    OnAfterInit();
    if (propertiesPending_) SetProperties();
}

bool ScriptableObject::SetPendingProperties(const ACSChunkRef& soup) {
    pendingProperties_ = soup;
    propertiesPending_ = !soup.IsNull() && soup.CountTags() > 0 ? 1 : 0;
    return propertiesPending_ != 0;
}

void ScriptableObject::SetProperties() {
    if (failed_) return;
    GSOSoup* soup = GSOSoup::CreateForSoup(context_, pendingProperties_);
    GSSlot* reference = soup ? soup->GetInstance() : nullptr;
    if (!CallScript(kSetPropertiesSignature, {reference})) failed_ = 1;
    GSReleaseReference(reference);
    pendingProperties_ = ACSChunkRef();
    propertiesPending_ = 0;
}

bool ScriptableObject::CallScript(const char* signature, std::initializer_list<GSSlot*> objects, GSSlot* result) {
    GSSlot* me = GetInstance();
    const GSScriptInstance* instance = GSInstanceOf(me);
    GSClass* gsClass = instance ? instance->Class() : nullptr;
    GSClass::FoundFunction found;
    if (!gsClass || !gsClass->FindFunction(signature, found)) return false;
    // Without a router the runtime runs nothing and would leave the counts handed over.
    if (!context_ || !context_->GetRouter()) return false;
    std::vector<GSSlot> arguments;
    for (GSSlot* object : objects) {
        GSAddReference(object);
        arguments.push_back(GSPointerSlot(object));
    }
    GSSlot ignored{};
    return GSRuntime::CallScriptFunction(context_, gsClass, me, signature, result ? result : &ignored, arguments);
}
