// SpecManager: making specs (by factory, from a folder) and finding the spec of a KUID
// through the daemon, with the remembered answers that spare later daemon round trips.
#include "validation/specs/spec_manager.h"

#include "link/kav/kav_client.h"
#include "validation/specs/asset_config_soup.h"
#include "validation/specs/gizmorix_spec.h"
#include "validation/specs/kodrin_base_spec.h"
#include "validation/specs/spec_factory.h"

GZSpecFactory* SpecManager::FactoryFor(const Kiv::PString& kind) {
    for (GZSpecFactory* factory : factories_) {
        if (factory->GetName().EqualsIgnoreCase(kind)) return factory;
    }
    return defaultFactory_;
}

GizmorixSpec* SpecManager::CreateSpec(const Kiv::PString& location, const Kiv::String& basePath,
                                      const Kiv::String& folderName, const ACSChunkRef& config,
                                      const KUID& kuid) {
    std::lock_guard hold(lock_);
    const Kiv::PString kind = config.GetNamedTag(Kiv::PString("kind")).ToPString();
    GZSpecFactory* factory = FactoryFor(kind);
    GizmorixSpec* spec = factory != nullptr
                             ? factory->Create(location, basePath, folderName, kuid, config)
                             : NewKodrinBaseSpec(location, basePath, folderName, kuid, config);
    if (spec == nullptr) return nullptr;
    RegisterSpec(spec);
    spec->AddUse();
    return spec;
}

GizmorixSpec* SpecManager::CreateSpecFromFolder(const KUID& kuid, const Kiv::PString& location,
                                                const Kiv::File::Path& folderPath,
                                                SpecPredicate predicate, bool keepUnloaded) {
    std::lock_guard hold(lock_);
    ACSChunkRef config;
    if (!LoadAssetConfigSoup(location, folderPath, config) || config.CountTags() == 0)
        return nullptr;
    Kiv::File::Path basePath(folderPath);
    basePath.DelSlash();
    const Kiv::String folderName = basePath.GetFileName();
    basePath.DelName(false);
    basePath.DelSlash();
    GizmorixSpec* spec = CreateSpec(location, Kiv::String(basePath.View()), folderName, config, kuid);
    if (spec == nullptr) return nullptr;
    if (predicate != nullptr && !predicate(spec)) {
        spec->Release();
        return nullptr;
    }
    if (keepUnloaded) return spec;
    spec->EnsureLoaded();
    if (spec->IsValidFlagSet() && !spec->IsNullKUID()) return spec;
    spec->Release();
    return nullptr;
}

GizmorixSpec* SpecManager::GetSpecForKUID(const KUID& asked, SpecPredicate predicate,
                                          bool locate) {
    if (asked.IsNull()) return nullptr;
    KUID kuid;
    if (Recall(asked, kuid)) {
        if (kuid.IsNull()) return nullptr;
    } else {
        kuid = KAVClient::ResolveKUID(asked);
    }
    if (GizmorixSpec* spec = FindSpec(kuid)) {
        if (predicate != nullptr && !predicate(spec)) {
            spec->Release();
            Remember(asked, kuid);
            return nullptr;
        }
        return LoadedOrMiss(asked, spec);
    }
    Kiv::PString location;
    Kiv::File::Path path;
    KAVClient::LocateAsset(kuid, locate, location, path);
    if (path.IsEmpty()) {
        Remember(asked, KUID::Null());
        return nullptr;
    }
    GizmorixSpec* spec = CreateSpecFromFolder(kuid, location, path, predicate, true);
    return spec != nullptr ? LoadedOrMiss(asked, spec) : nullptr;
}

// Loads a counted spec; a valid one is remembered and returned, an invalid one released
// and remembered as a miss (also when it was just made from its folder, so a broken asset
// is not located again on every ask).
GizmorixSpec* SpecManager::LoadedOrMiss(const KUID& asked, GizmorixSpec* spec) {
    spec->EnsureLoaded();
    if (spec->IsValidFlagSet() && !spec->IsNullKUID()) {
        Remember(asked, spec->GetKUID());
        return spec;
    }
    spec->Release();
    Remember(asked, KUID::Null());
    return nullptr;
}

bool SpecManager::Recall(const KUID& asked, KUID& stored) {
    std::lock_guard hold(memoLock_);
    const auto found = memo_.find(asked);
    if (found == memo_.end()) return false;
    stored = found->second;
    return true;
}

void SpecManager::Remember(const KUID& asked, const KUID& stored) {
    std::lock_guard hold(memoLock_);
    memo_[asked] = stored;
}
