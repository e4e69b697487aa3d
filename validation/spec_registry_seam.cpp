// The daemon link's spec registry seam over SpecManager.
#include "validation/spec_registry_seam.h"

#include "validation/specs/gizmorix_spec.h"
#include "validation/specs/spec_manager.h"

namespace {

class SpecRegistrySeam final : public KAVSpecRegistrySeam {
  public:
    void Create() override {
        if (SpecManager::Instance() == nullptr) new SpecManager;
    }

    void Destroy() override {
        SpecManager* manager = SpecManager::Instance();
        if (manager == nullptr) return;
        manager->Destroy();
        delete manager;
    }

    bool FindConfig(const KUID& kuid, ACSChunkRef& config) override {
        SpecManager* manager = SpecManager::Instance();
        GizmorixSpec* spec = manager ? manager->FindSpec(kuid) : nullptr;
        if (!spec) return false;
        config = spec->GetConfig();
        spec->ReleaseUse();
        return true;
    }
};

} // namespace

KAVSpecRegistrySeam& GetSpecRegistrySeam() {
    static SpecRegistrySeam seam;
    return seam;
}
