// The factory base and the factory of scripted specs.
#include "validation/specs/spec_factory.h"

#include "validation/specs/kodrin_base_spec.h"
#include "validation/specs/spec_manager.h"

GZSpecFactory::~GZSpecFactory() {
    if (SpecManager* manager = SpecManager::Instance()) manager->UnregisterFactory(this);
}

GizmorixSpec* KAVScript_KodrinBaseSpecFactory::Create(const Kiv::PString& location,
                                                      const Kiv::String& basePath,
                                                      const Kiv::String& folderName,
                                                      const KUID& kuid, const ACSChunkRef& config) {
    return NewKodrinBaseSpec(location, basePath, folderName, kuid, config);
}
