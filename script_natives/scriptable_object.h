// ScriptableObject: a game object whose script class comes from an asset: the class of
// the asset's own compiled script or, once a custom text is set, a class "CustomObject"
// compiled on the spot from that text. Made with its script context, it waits in the
// context's pending list; stage 2 compiles and attaches the class, stage 3 puts the object
// on the router, runs the script's Init with the asset and one update. A custom text set
// after stage 3 recompiles and initialises again. Any failure leaves the object "failed";
// later stages then do nothing. Concrete kinds supply the asset spec (GSOLibrary).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "foundation/soup/chunk_ref.h"
#include "script_natives/delayed_init.h"
#include "script_natives/script_source.h"
#include "script_runtime/gs_game_object.h"
#include "validation/specs/spec_ref.h"

class KodrinBaseSpec;
class KodrinScriptContext;

class ScriptableObject : public GSGameObject, public DelayedInitClient, public ScriptSource {
  public:
    // Queued in the context's pending list when there is a context.
    explicit ScriptableObject(KodrinScriptContext* context);
    // Leaves the pending list, then the safe pointers are cleared.
    ~ScriptableObject() override;
    // The context is going: the object keeps no pointer at it and reaches it no more.
    void ForgetContext();

    // The class to attach: the spec's script class, or the custom text's "CustomObject".
    virtual GSClass* CompileScript();
    virtual bool AcceptClass(GSClass* gsClass) { return gsClass != nullptr; }
    // The asset's spec (a use for the caller), or none.
    virtual SpecRef GetSpec() = 0;
    // Run after the object joined the router, before the script's Init (two), and after it.
    virtual void OnJoinedRouter() {}
    virtual void OnBeforeInit() {}
    virtual void OnAfterInit() {}

    void InitStage2() override { CompileAndAttach(); }
    void InitStage3() override;

    // The custom text, else the template for the spec's script class and file.
    std::string GetScriptText() override;
    void SetScriptText(const std::string& text) override;
    void WriteScriptText(TStream& stream) override;
    void ReadScriptText(TStream& stream) override;

    void CompileAndAttach();
    void InitScript();
    void Recompile();
    // Gives the pending properties to the script (a locked Soup over them), when it runs.
    void SetProperties();

    bool HasFailed() const { return failed_ != 0; }
    void SetFailed() { failed_ = 1; }
    KodrinScriptContext* GetScriptContext() const { return context_; }
    const std::string& GetCustomText() const { return customText_; }
    // The soup waits for the script; true when it has content.
    bool SetPendingProperties(const ACSChunkRef& soup);
    bool ArePropertiesPending() const { return propertiesPending_ != 0; }

    // Calls the function of the object's script with object arguments (the call takes a
    // reference of its own on each); false when the script has no such function, the
    // context has no router (nothing runs, no count is taken) or the call failed.
    bool CallScript(const char* signature, std::initializer_list<GSSlot*> objects, GSSlot* result = nullptr);

  private:
    // A new custom text: stored, and recompiled once the object is live.
    void ReplaceCustomText(std::string text);

    KodrinScriptContext* context_;
    uint8_t failed_ = 0;
    uint8_t propertiesPending_ = 0;
    ACSChunkRef pendingProperties_;
    std::string customText_;
};
