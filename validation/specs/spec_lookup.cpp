// GetKodrinBaseSpec and GetLibrarySpec over the process's spec manager.
#include "validation/specs/spec_lookup.h"

#include "validation/specs/kodrin_base_spec.h"
#include "validation/specs/spec_manager.h"

namespace {

GizmorixSpec* GetSpecOfKind(const KUID& kuid, SpecPredicate predicate, bool locate) {
    SpecManager* manager = SpecManager::Instance();
    return manager != nullptr ? manager->GetSpecForKUID(kuid, predicate, locate) : nullptr;
}

}  // namespace

bool IsLibrarySpec(GizmorixSpec* spec) { return dynamic_cast<GSOLibrarySpec*>(spec) != nullptr; }

GizmorixSpec* GetKodrinBaseSpec(const KUID& kuid, bool locate) {
    return GetSpecOfKind(kuid, &IsKodrinBaseSpec, locate);
}

GizmorixSpec* GetLibrarySpec(const KUID& kuid, bool locate) {
    return GetSpecOfKind(kuid, &IsLibrarySpec, locate);
}
