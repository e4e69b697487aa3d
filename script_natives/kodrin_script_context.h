// KodrinScriptContext: the product's script context. Besides the GSContext (router, tracked
// objects, static class instances) it keeps the script libraries that its scripts asked
// for (a WorldList of library objects), the pending list of objects waiting for delayed
// initialisation, and the ZRI context object that native plug-ins receive. A host derives
// from it and overrides the seven hooks through which scripts reach it; the defaults do
// nothing (SystemCall writes the soup to the engine log and answers the null soup). The
// natives of the static script class "KodrinScriptBase" run on the context itself.
#pragma once

#include <cstdint>
#include <memory>
#include <set>

#include "engine/pstring.h"
#include "foundation/kuid/kuid.h"
#include "foundation/results/identifiable_type.h"
#include "foundation/soup/chunk_ref.h"
#include "script_natives/delayed_init.h"
#include "script_natives/world_list.h"
#include "script_natives/zri.h"
#include "script_runtime/gs_context.h"

class GSMachine;
class GSOLibrary;
class GSRouter;
class GSStack;
class KAVFilterElementGroup;
class ScriptableObject;

class KodrinScriptContext : public GSContext, public DelayedInitManager, public IdentifiableType {
  public:
    // The list id of the libraries list.
    static constexpr int32_t kLibraryListId = 0;

    // A context over the router (which it owns; ready before game objects attach), with an
    // empty libraries list, an empty pending list, the list lock clear, and the ZRI context
    // object (its reference passes to the context; null for none). A shared context lets
    // other contexts keep its objects (a parent whose libraries its children's scripts
    // keep); it must then outlive them.
    KodrinScriptContext(std::unique_ptr<GSRouter> router, ZRIObject* zriContext, bool shared = false);
    // Deletes the libraries, tells the scriptable objects still alive (held only by script
    // objects that go with the GSContext part) that the context is gone, releases the ZRI
    // context object, then frees the list and the pending blocks (the queued clients are
    // not deleted) before the GSContext part goes.
    ~KodrinScriptContext() override;

    // The hooks a host overrides.
    virtual void SetSystemMenuIcon(GSOLibrary* library, const KUID& kuid, const Kiv::PString& first,
                                   const Kiv::PString& second);
    virtual void BlinkSystemMenuIcon(GSOLibrary* library, int32_t value);
    // frame: the native call's frame; its argument 1 is the Menu object.
    virtual void ShowSystemMenuIconMenu(GSOLibrary* library, GSStack* frame);
    virtual ACSChunkRef SystemCall(const Kiv::PString& name, const ACSChunkRef& soup);
    virtual bool OpenURL(const Kiv::PString& url);
    virtual void OnLibraryAdded(GSOLibrary* library);
    virtual KodrinScriptContext* GetParentContext();

    // The library object of a library asset in this context, or null; every failure but
    // the null KUID's is written to the engine log.
    GSOLibrary* GetScriptLibrary(const KUID& kuid);

    WorldList& Libraries() { return libraries_; }
    ZRIObject* ZRIContext() const { return zriContext_; }
    // While set, GetScriptLibrary makes no library.
    bool ListLocked() const { return listLock_ != 0; }
    void SetListLocked(bool locked) { listLock_ = locked ? 1 : 0; }
    // The scriptable objects made for this context enter when made and leave when deleted.
    void EnterScriptable(ScriptableObject* object) { scriptables_.insert(object); }
    void LeaveScriptable(ScriptableObject* object) { scriptables_.erase(object); }

    // The natives of "KodrinScriptBase".
    void GetSeconds(GSStack* stack);
    void GetLibrary(GSStack* stack);
    void FindAsset(GSStack* stack);
    void GetAssetList(GSStack* stack);
    void GetAssetListWithTokens(GSStack* stack);
    void SearchAssets(GSStack* stack);
    void FindUpdatedAssets(GSStack* stack);
    void KodrinSystemCall(GSStack* stack);
    void OpenURLNative(GSStack* stack);
    void Log(GSStack* stack);

  private:
    // The database's answer to the filter as an Asset[] (element kind 1) pushed onto the
    // stack; with warnKind, an empty answer logs the zero-assets warning for that kind.
    void PushAssetArray(GSStack* stack, const KAVFilterElementGroup* filter, const char* warnKind);

    uint32_t listLock_ = 0;
    WorldList libraries_;
    ZRIObject* zriContext_;
    std::set<ScriptableObject*> scriptables_;
};

// Pushes the library's script object (a count added), or null: the library objects' own
// code provides it.
void PushLibraryObject(GSStack* stack, GSOLibrary* library);
