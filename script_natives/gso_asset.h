// GSOAsset: the native object behind the script class "Asset", one installed asset as a
// script sees it. There is at most one object per context and resolved KUID: a process-wide
// list holds every object (newest first) and a memo remembers the KUIDs the daemon resolved
// to another. The asset record (request 21, all details) is fetched on first need and kept
// until SetIsFavorite; a failed fetch keeps the values it had and still counts as fetched.
// The spec and the config are fetched on first need and kept for the object's life.
#pragma once

#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk_ref.h"
#include "link/kav/kav_asset_info.h"
#include "script_runtime/gs_object.h"

class GSStack;
class KodrinBaseSpec;

class GSOAsset : public GSObject {
  public:
    // The object of (context, KUID) with one count for the caller, or null: for the null
    // KUID, for a KUID the daemon resolves to the null KUID, or when none can be made.
    static GSOAsset* Create(GSContext* context, const KUID& kuid);
    ~GSOAsset() override;

    // Forgets the KUIDs resolved so far (tests).
    static void ForgetResolutions();

    const KUID& GetAssetKUID() const { return kuid_; }
    // The asset's scripted spec with a use for the caller, or null.
    KodrinBaseSpec* GetSpec();

    void GetKUID(GSStack* stack);
    void GetLocalisedName(GSStack* stack);
    void GetLocalisedDescription(GSStack* stack);
    void GetCreatorName(GSStack* stack);
    void LookupKUIDTable(GSStack* stack);
    void FindAsset(GSStack* stack);
    void GetStringTable(GSStack* stack);
    void GetConfigSoup(GSStack* stack);
    void GetDependencyList(GSStack* stack);
    void SupportsKodrinBuildVersion(GSStack* stack);
    void LoadImage(GSStack* stack);
    void IsLocallyModified(GSStack* stack);
    void GetInfoURL(GSStack* stack);
    void GetIsFavorite(GSStack* stack);
    void SetIsFavorite(GSStack* stack);
    void GetParent(GSStack* stack);
    void GetCategoryEra(GSStack* stack);
    void GetCategoryRegion(GSStack* stack);

  private:
    explicit GSOAsset(const KUID& kuid) : kuid_(kuid) {}
    // The object of this context and KUID in the list, a count added; null when none.
    static GSOAsset* Find(GSContext* context, const KUID& kuid);
    // The record, fetched when it is not loaded.
    const KAVAssetInfo& Record();
    // The KUID of the "kuid-table" entry named by argument 1; false when nothing is to be
    // pushed (argument refused, or the name missing and raised), with noSpec set when the
    // asset has no spec (null is then pushed).
    bool TableEntry(GSStack* stack, KUID& out, bool& noSpec);

    KodrinBaseSpec* spec_ = nullptr;
    KUID kuid_;
    bool recordLoaded_ = false;
    KAVAssetInfo record_;
    ACSChunkRef config_;
};

// Pushes the asset object (its count passes to the stack), or null.
void PushAssetObject(GSStack* stack, GSOAsset* asset);
