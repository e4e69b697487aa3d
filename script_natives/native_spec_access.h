// What the natives use of the asset specs: the scripted spec of an asset found by KUID
// (`GetKodrinBaseSpec` with locate flag 0), its uses, its config soup and whether its asset
// is locally modified (`KodrinBaseSpec::IsLocallyModified`, asked once and cached by the
// spec). A spec is an opaque handle here. The access in place asks the process's spec
// manager (native_spec_access.cpp); tests may install their own.
#pragma once

#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk_ref.h"

class KodrinBaseSpec;

class NativeSpecAccess {
  public:
    virtual ~NativeSpecAccess() = default;
    // The asset's scripted spec with one use for the caller, or null.
    virtual KodrinBaseSpec* GetKodrinBaseSpec(const KUID& kuid) = 0;
    virtual void AddUse(KodrinBaseSpec* spec) = 0;
    virtual void ReleaseUse(KodrinBaseSpec* spec) = 0;
    // The spec's config soup, shared.
    virtual ACSChunkRef GetConfig(KodrinBaseSpec* spec) = 0;
    virtual bool IsLocallyModified(KodrinBaseSpec* spec) = 0;
};

// The access in use.
NativeSpecAccess& NativeSpecs();
// Installs another access (tests); null puts the one in place back. The caller keeps it alive.
void SetNativeSpecs(NativeSpecAccess* access);
