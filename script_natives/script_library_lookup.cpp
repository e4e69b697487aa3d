// Finding, making and dropping the library objects of a script context.
#include "script_natives/script_library_lookup.h"

#include "foundation/console/log_message.h"
#include "script_natives/gso_library.h"
#include "script_natives/kodrin_script_context.h"
#include "script_runtime/gs_router.h"
#include "validation/specs/gso_library_spec.h"

namespace {

GSOLibrary* FindInList(WorldList& list, const GSOLibrarySpec& spec) {
    for (int32_t slot = 0; slot < list.GetSlotCount(); ++slot) {
        auto* library = dynamic_cast<GSOLibrary*>(list.GetItem(slot));
        if (library && &library->Spec() == &spec) return library;
    }
    return nullptr;
}

// A library whose script failed leaves the list and goes now: its instance's last count
// takes it, or it is deleted when it never got an instance.
void Drop(WorldList& list, GSOLibrary* library) {
    list.RemoveItem(library);
    if (GSRouter* router = library->GetRouter()) router->RemoveNode(library);
    if (GSSlot* instance = library->GetInstance()) GSReleaseReference(instance);
    else delete library;
}

} // namespace

GSOLibrary* GetLibraryOfSpec(KodrinScriptContext& context, const KUID& kuid, GSOLibrarySpec& spec) {
    if (GSOLibrary* found = FindInList(context.Libraries(), spec)) {
        found->EnsureInitialised();
        return found;
    }
    if (spec.UsesParentContext()) {
        if (KodrinScriptContext* parent = context.GetParentContext()) return parent->GetScriptLibrary(kuid);
    }
    if (context.ListLocked()) {
        LogMessage("KodrinScriptContext::GetScriptLibrary> attempted while list is locked");
        return nullptr;
    }
    auto* library = dynamic_cast<GSOLibrary*>(spec.CreateInstance(&context));
    if (!library) {
        LogMessage("KodrinScriptContext::GetScriptLibrary> unable to create instance of Library %s",
                   kuid.ToTag().c_str());
        return nullptr;
    }
    context.Libraries().AddItem(library);
    context.OnLibraryAdded(library);
    library->EnsureInitialised();
    if (!library->HasFailed()) return library;
    LogMessage("KodrinScriptContext::GetScriptLibrary> script failure on Library %s", kuid.ToTag().c_str());
    Drop(context.Libraries(), library);
    return nullptr;
}
