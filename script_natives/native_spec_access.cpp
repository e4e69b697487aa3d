// The spec access in place: the scripted specs of the process's spec manager
// (GetKodrinBaseSpec, validation/specs/spec_lookup.h), which holds none without a manager.
#include "script_natives/native_spec_access.h"

#include "validation/specs/kodrin_base_spec.h"
#include "validation/specs/spec_lookup.h"

namespace {

class ManagerSpecs : public NativeSpecAccess {
  public:
    KodrinBaseSpec* GetKodrinBaseSpec(const KUID& kuid) override {
        return static_cast<KodrinBaseSpec*>(::GetKodrinBaseSpec(kuid, false));
    }
    void AddUse(KodrinBaseSpec* spec) override { spec->AddUse(); }
    void ReleaseUse(KodrinBaseSpec* spec) override { spec->ReleaseUse(); }
    ACSChunkRef GetConfig(KodrinBaseSpec* spec) override { return spec->GetConfig(); }
    bool IsLocallyModified(KodrinBaseSpec* spec) override { return spec->IsLocallyModified(); }
};

NativeSpecAccess* g_access = nullptr;

}  // namespace

NativeSpecAccess& NativeSpecs() {
    static ManagerSpecs manager;
    return g_access ? *g_access : manager;
}

void SetNativeSpecs(NativeSpecAccess* access) { g_access = access; }
