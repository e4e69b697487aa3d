// GizmorixSpec: construction, loading, paths and names of an asset spec.
#include "validation/specs/gizmorix_spec.h"

#include "content3d/resource_database.h"
#include "content3d/resource_database_holder.h"
#include "link/kav/kav_client.h"
#include "validation/specs/spec_manager.h"

GizmorixSpec::GizmorixSpec(const KUID& kuid, const Kiv::PString& location,
                           const Kiv::String& basePath, const Kiv::String& folderName,
                           const ACSChunkRef& config)
    : kuid_(kuid), location_(location), basePath_(basePath), folderName_(folderName),
      config_(config) {
    if (!location_.IsEmpty()) {
        const std::string installFolder = ResourceDatabaseHolder::GetInstallFolder();
        resourceDatabase_ = KodrinResourceDatabase::Open(location_, installFolder.c_str());
    }
    if (kuid_.IsNull()) flags_ |= kFlagNullKUID;
}

GizmorixSpec::~GizmorixSpec() {
    KodrinResourceDatabase::Release(resourceDatabase_);
    if (SpecManager* manager = SpecManager::Instance()) manager->UnregisterSpec(this);
    DetachAll();
}

void GizmorixSpec::EnsureLoaded() {
    if (loaded_ != 0) return;
    loaded_ = 1;
    Load();
    if (SpecManager* manager = SpecManager::Instance()) manager->UpdateSpecState(this);
}

void GizmorixSpec::ReleaseUse() { useCount_.Decrement(); }

Kiv::File::Path GizmorixSpec::GetFolderPath(const char* name) const {
    Kiv::File::Path path(basePath_);
    path.AddPath(folderName_.c_str());
    if (name != nullptr) path.AddPath(name);
    return path;
}

Kiv::PString GizmorixSpec::GetDisplayName() const {
    const Kiv::String name = KAVClient::GetAssetName(kuid_);
    const Kiv::PString tag = kuid_.ToTag();
    return Kiv::PString::Setf("%s \"%s\"", tag.c_str(), name.c_str());
}

void GizmorixSpec::SetValidFlag(bool valid) {
    if (valid) flags_ |= kFlagValid;
    else flags_ &= static_cast<uint8_t>(~kFlagValid);
}
