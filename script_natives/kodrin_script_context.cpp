// The script context: construction and teardown, the hooks' defaults and the look-up of
// library objects.
#include "script_natives/kodrin_script_context.h"

#include "foundation/console/log_message.h"
#include "script_natives/script_library_lookup.h"
#include "script_natives/scriptable_object.h"
#include "script_runtime/gs_router.h"
#include "validation/specs/spec_ref.h"
#include "validation/specs/spec_lookup.h"

KodrinScriptContext::KodrinScriptContext(std::unique_ptr<GSRouter> router, ZRIObject* zriContext, bool shared)
    : GSContext(shared, std::move(router)), libraries_(this, kLibraryListId, nullptr), zriContext_(zriContext) {}

KodrinScriptContext::~KodrinScriptContext() {
    libraries_.Clear();
    for (ScriptableObject* object : std::set<ScriptableObject*>(scriptables_)) object->ForgetContext();
    ZRIRelease(zriContext_);
}

void KodrinScriptContext::SetSystemMenuIcon(GSOLibrary*, const KUID&, const Kiv::PString&, const Kiv::PString&) {}

void KodrinScriptContext::BlinkSystemMenuIcon(GSOLibrary*, int32_t) {}

void KodrinScriptContext::ShowSystemMenuIconMenu(GSOLibrary*, GSStack*) {}

ACSChunkRef KodrinScriptContext::SystemCall(const Kiv::PString&, const ACSChunkRef& soup) {
    soup.Log();
    return ACSChunkRef();
}

bool KodrinScriptContext::OpenURL(const Kiv::PString&) { return false; }

void KodrinScriptContext::OnLibraryAdded(GSOLibrary*) {}

KodrinScriptContext* KodrinScriptContext::GetParentContext() { return nullptr; }

GSOLibrary* KodrinScriptContext::GetScriptLibrary(const KUID& kuid) {
    if (kuid.IsNull()) return nullptr;
    GizmorixSpec* spec = GetLibrarySpec(kuid, false);
    if (!spec) {
        LogMessage("KodrinScriptContext::GetScriptLibrary> unable to find Library %s", kuid.ToTag().c_str());
        return nullptr;
    }
    const SpecRef held = SpecRef::Adopt(spec);
    return GetLibraryOfSpec(*this, kuid, static_cast<GSOLibrarySpec&>(*spec));
}
