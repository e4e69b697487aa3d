// GizmorixSpec: the in-memory description of one installed asset (its KUID, where its
// files are, its config soup) that the process-wide SpecManager owns and shares. Users hold
// counted uses; a spec whose count reaches 0 lives on until SpecManager::PurgeUnused deletes
// it. The first EnsureLoaded loads the spec and files it as valid or invalid in the manager.
// Kinds of asset derive from it (KodrinBaseSpec); safe pointers at a spec read null once it
// detaches them.
#pragma once

#include <cstdint>

#include "engine/alloc.h"
#include "engine/file_path.h"
#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/kuid/kuid.h"
#include "foundation/results/identifiable_type.h"
#include "foundation/soup/chunk_ref.h"
#include "validation/specs/safe_pointer.h"

class KodrinResourceDatabase;

class GizmorixSpec : public IdentifiableType, public SafePointerTarget<GizmorixSpec> {
  public:
    // Bits of the flags byte.
    static constexpr uint8_t kFlagNullKUID = 0x01;
    static constexpr uint8_t kFlagValid = 0x02;

    // Opens the location's resource database when a location is given; no use is held yet.
    GizmorixSpec(const KUID& kuid, const Kiv::PString& location, const Kiv::String& basePath,
                 const Kiv::String& folderName, const ACSChunkRef& config);
    // Leaves the manager and detaches every safe pointer.
    ~GizmorixSpec() override;

    virtual void Load() { loadMark_ = 1; }
    virtual bool IsValid() { return true; }
    virtual void OnValid() {}

    // Loads the spec once and has the manager file it as valid or invalid.
    void EnsureLoaded();
    // The config, shared.
    ACSChunkRef GetConfig() const { return config_; }
    // The asset's folder, then name below it when given.
    Kiv::File::Path GetFolderPath(const char* name = nullptr) const;
    // "<kuid:…> \"asset name\"", the name as the asset database gives it.
    Kiv::PString GetDisplayName() const;

    // Uses: a user adds one and gives it back with ReleaseUse (or Release); nothing is
    // deleted here when the count reaches 0.
    void AddUse() { useCount_.Increment(); }
    void ReleaseUse();
    void Release() { ReleaseUse(); }
    int32_t GetUseCount() const { return useCount_.Get(); }

    const KUID& GetKUID() const { return kuid_; }
    uint8_t GetFlags() const { return flags_; }
    bool IsValidFlagSet() const { return (flags_ & kFlagValid) != 0; }
    bool IsNullKUID() const { return (flags_ & kFlagNullKUID) != 0; }
    const Kiv::PString& GetLocation() const { return location_; }
    const Kiv::String& GetBasePath() const { return basePath_; }
    const Kiv::String& GetFolderName() const { return folderName_; }
    KodrinResourceDatabase* GetResourceDatabase() const { return resourceDatabase_; }
    const Kiv::PString& GetKindName() const { return kind_; }
    bool IsLoaded() const { return loaded_ != 0; }
    bool HasLoadMark() const { return loadMark_ != 0; }

  protected:
    friend class SpecManager;
    void SetValidFlag(bool valid);

    KUID kuid_;
    uint8_t flags_ = 0;
    Kiv::PString location_;
    Kiv::String basePath_;
    Kiv::String folderName_;
    KodrinResourceDatabase* resourceDatabase_ = nullptr;
    ACSChunkRef config_;
    Kiv::ProtectedLong useCount_{0};
    uint8_t loaded_ = 0;
    uint8_t loadMark_ = 0;
    Kiv::PString kind_;
};
