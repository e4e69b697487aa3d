// The spec access in place. The spec manager with its scripted specs is not built yet, so
// it finds no spec; the other operations are never reached without one.
#include "script_natives/native_spec_access.h"

namespace {

class NoSpecs : public NativeSpecAccess {
  public:
    KodrinBaseSpec* GetKodrinBaseSpec(const KUID&) override { return nullptr; }
    void AddUse(KodrinBaseSpec*) override {}
    void ReleaseUse(KodrinBaseSpec*) override {}
    ACSChunkRef GetConfig(KodrinBaseSpec*) override { return ACSChunkRef(); }
    bool IsLocallyModified(KodrinBaseSpec*) override { return false; }
};

NativeSpecAccess* g_access = nullptr;

}  // namespace

NativeSpecAccess& NativeSpecs() {
    static NoSpecs none;
    return g_access ? *g_access : none;
}

void SetNativeSpecs(NativeSpecAccess* access) { g_access = access; }
