// GSOLibrary: the native object behind the script class "Library": one per library asset
// and script context, made on demand by KodrinScriptContext::GetScriptLibrary and kept in
// the context's libraries list. It runs the library asset's script class as a scriptable
// object, keeps the script's properties across the list's stream (an int32 0 and an
// "ACS$" soup), may drive a native plug-in named by its spec, issues and checks security
// tokens, and answers a host's system-menu icon. It is deleted when its script fails on
// creation or when its context goes.
#pragma once

#include <cstdint>

#include "foundation/results/nu_message.h"
#include "script_natives/scriptable_object.h"
#include "script_natives/security_token_issuer.h"
#include "script_natives/world_items.h"
#include "script_natives/zri.h"

class GSOLibrarySpec;
class GSOSecurityToken;

class GSOLibrary : public ScriptableObject,
                   public WorldListItem,
                   public NuMessageRecipient,
                   public SecurityTokenIssuer {
  public:
    static constexpr int32_t kTypeCode = 0x67736C62;  // 'gslb'

    // A new library of the spec for the context, queued for its delayed initialisation;
    // its plug-in is loaded when the spec names one (a failed load leaves none).
    static GSOLibrary* Create(GSOLibrarySpec& spec, KodrinScriptContext* context);
    // The icon goes, the plug-in is released, then the library leaves its list.
    ~GSOLibrary() override;

    SpecRef GetSpec() override;
    GSOLibrarySpec& Spec() const { return *spec_; }
    int32_t GetTypeCode() override { return kTypeCode; }
    KUID GetKUID() override;
    // The properties: int32 0 and the soup, or nothing when there are none.
    void WriteState(TStream& stream) override;
    void ReadState(TStream& stream) override;
    // A "click" carrying the icon id sends ("Interface", "ClickSystemButton") from the
    // library's game object to itself at once and answers 0; anything else answers 1.
    int32_t ForwardMessage(const NuMessageData& message) override;

    KUID IssuerKUID() const override;
    GSContext* IssuerContext() const override { return Context(); }

    // Runs the stages not run yet, leaves the pending list and gives pending properties
    // to the script; once.
    void EnsureInitialised();
    // The script's properties ("$Soup@PropertyObject::GetProperties()"), or the null soup
    // (logged when the call gives none).
    ACSChunkRef GetProperties();
    // The pending properties to the script when there are some and it runs.
    void ApplyPendingProperties();

    void SetIconMessageId(uint32_t id) { iconMessageId_ = id; }
    ZRIObject* Plugin() const { return plugin_; }
    bool IsInitialised() const { return initialised_ != 0; }

    void GetOnlineAccess(GSStack* stack);
    void LibraryCallNative(GSStack* stack);
    void IssueSecurityToken(GSStack* stack);
    void ReIssueSecurityToken(GSStack* stack);
    void MergeSecurityTokens(GSStack* stack);
    void ValidateForLibrary(GSStack* stack);
    void ValidateForKUID(GSStack* stack);
    void AddSystemMenuIcon(GSStack* stack);
    void BlinkSystemMenuIcon(GSStack* stack);
    void RemoveSystemMenuIcon(GSStack* stack);
    void ShowSystemMenuIconMenu(GSStack* stack);

  private:
    GSOLibrary(GSOLibrarySpec& spec, KodrinScriptContext* context);
    // Pushes Validate (issuer, this library's KUID, token, right of argument 3).
    void PushValidation(GSStack* stack, const GSOSecurityToken& token, const SecurityTokenIssuer* issuer);

    SpecRef specUse_;
    GSOLibrarySpec* spec_;
    uint8_t initialised_ = 0;
    uint32_t iconMessageId_ = 0;
    ZRIObject* plugin_ = nullptr;
};
