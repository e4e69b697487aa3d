// Library objects: making and destroying them, their initialisation, their properties in
// the libraries list's stream, and the system-menu icon's click.
#include "script_natives/gso_library.h"

#include "foundation/console/log_message.h"
#include "foundation/soup/binary_file.h"
#include "foundation/streams/t_stream.h"
#include "script_natives/gso_soup.h"
#include "script_natives/kodrin_script_context.h"
#include "script_natives/native_arguments.h"
#include "script_natives/native_plugin_loader.h"
#include "script_runtime/gs_router.h"
#include "validation/specs/gso_library_spec.h"

namespace {

constexpr const char* kGetPropertiesSignature = "$Soup@PropertyObject::GetProperties()";

const Kiv::PString& ClickType() {
    static const Kiv::PString type("click");
    return type;
}

} // namespace

GSOLibrary* GSOLibrary::Create(GSOLibrarySpec& spec, KodrinScriptContext* context) {
    const SpecRef held(&spec);
    return new GSOLibrary(spec, context);
}

GSOLibrary::GSOLibrary(GSOLibrarySpec& spec, KodrinScriptContext* context)
    : ScriptableObject(context), specUse_(&spec), spec_(&spec) {
    const Kiv::PString& plugin = spec.GetNativePluginName();
    if (!plugin.IsEmpty()) plugin_ = LoadNativePlugin(context ? context->ZRIContext() : nullptr, plugin.View());
}

GSOLibrary::~GSOLibrary() {
    if (KodrinScriptContext* context = GetScriptContext())
        context->SetSystemMenuIcon(this, KUID::Null(), Kiv::PString(), Kiv::PString());
    ZRIRelease(plugin_);
    plugin_ = nullptr;
    SetPendingProperties(ACSChunkRef());
}

SpecRef GSOLibrary::GetSpec() { return SpecRef(spec_); }

KUID GSOLibrary::GetKUID() { return spec_->GetKUID(); }

KUID GSOLibrary::IssuerKUID() const { return spec_->GetKUID(); }

void GSOLibrary::EnsureInitialised() {
    if (initialised_) return;
    initialised_ = 1;
    if (!(DelayedInitClient::Flags() & kStage1Done)) InitStage1();
    if (!(DelayedInitClient::Flags() & kStage2Done)) InitStage2();
    if (!(DelayedInitClient::Flags() & kStage3Done)) InitStage3();
    if (KodrinScriptContext* context = GetScriptContext()) CancelDelayedInit(*context);
    ApplyPendingProperties();
}

void GSOLibrary::ApplyPendingProperties() {
    if (ArePropertiesPending() && !HasFailed()) SetProperties();
}

ACSChunkRef GSOLibrary::GetProperties() {
    if (HasFailed()) return ACSChunkRef();
    GSSlot result{};
    if (CallScript(kGetPropertiesSignature, {}, &result)) {
        auto* reference = static_cast<GSSlot*>(result.p);
        const GSOSoup* soup = NativeObjectAs<GSOSoup>(reference);
        const ACSChunkRef properties = soup ? soup->Chunk() : ACSChunkRef();
        GSReleaseReference(reference);
        if (soup) return properties;
    }
    LogMessage("GSOLibrary::GetProperties> could not retrieve properties for %s", spec_->GetKUID().ToTag().c_str());
    return ACSChunkRef();
}

void GSOLibrary::WriteState(TStream& stream) {
    const ACSChunkRef properties = GetProperties();
    if (properties.IsNull() || properties.CountTags() == 0) return;
    stream.WriteInt32(0);
    TDBBinaryFile::WriteSoup(stream, properties);
}

void GSOLibrary::ReadState(TStream& stream) {
    if (HasFailed()) return;
    int32_t ignored = 0;
    stream.ReadInt32(ignored, 0);
    ACSChunkRef properties;
    TDBBinaryFile::ReadSoup(properties, stream);
    SetPendingProperties(properties);
    if (initialised_) ApplyPendingProperties();
}

int32_t GSOLibrary::ForwardMessage(const NuMessageData& message) {
    if (iconMessageId_ == 0 || message.Type() != ClickType() || message.Value() != iconMessageId_)
        return NuMessageRecipient::ForwardMessage(message);
    GSRouter* router = GetRouter();
    GSMessage* sent = RequestMessage("Interface", "ClickSystemButton", GetId(), 0);
    if (router && sent) router->SendMessage(sent);
    return 0;
}
