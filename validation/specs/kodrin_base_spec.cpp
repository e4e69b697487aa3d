// KodrinBaseSpec: the config-derived state of a scripted spec.
#include "validation/specs/kodrin_base_spec.h"

#include <algorithm>
#include <string>

#include "link/kav/kav_client.h"
#include "link/kav/kav_user_data.h"

namespace {

constexpr float kDefaultBuild = 1.3f;
constexpr float kScriptedBuild = 2.0f;
constexpr int kNamedBuildLimit = 250;  // builds × 100 below this keep their own name

// The asset's folder below the location's folder ("/" separated); the whole folder when it
// lies elsewhere.
Kiv::File::Path FolderBelowLocation(const Kiv::PString& location, const Kiv::String& basePath,
                                    const Kiv::String& folderName) {
    Kiv::File::Path folder(basePath);
    folder.AddPath(folderName.c_str());
    Kiv::File::Path relative;
    if (!KAVUserData::MakeRelativePath(KAVUserData::GetLocationFolder(location), folder, relative))
        return folder;
    std::string text(relative.View());
    std::replace(text.begin(), text.end(), '\\', '/');
    return Kiv::File::Path(text.c_str());
}

}  // namespace

KodrinBaseSpec::KodrinBaseSpec(const Kiv::PString& location, const Kiv::String& basePath,
                               const Kiv::String& folderName, const KUID& kuid,
                               const ACSChunkRef& config, const Kiv::PString& name)
    : GizmorixSpec(kuid, location, basePath, folderName, config),
      scripts_(config, kuid, location, FolderBelowLocation(location, basePath, folderName),
               [this] { return GetDisplayName(); }) {
    if (!config.IsNull()) {
        kind_ = config.GetNamedTag(Kiv::PString("kind")).ToPString();
        build_ = ReadBuildVersion(config);
    }
    if (static_cast<int>(build_ * 100.0f) >= kNamedBuildLimit) {
        name_ = Kiv::PString("default");
        return;
    }
    name_ = config.GetNamedTag(Kiv::PString("asset-filename")).ToPString();
    if (name_.IsEmpty()) name_ = name;
}

float KodrinBaseSpec::ReadBuildVersion(const ACSChunkRef& config) {
    const float build = config.GetNamedTagAsFloat(Kiv::PString("kodrin-build"), 0.0f);
    if (build >= 1.0f && build < 100.0f) return build + 0.005f;
    for (const char* tag : {"mesh-table", "class", "scriptclass"}) {
        if (config.HasTag(Kiv::PString(tag))) return kScriptedBuild;
    }
    return kDefaultBuild;
}

bool KodrinBaseSpec::IsLocallyModified() {
    if (locallyModified_ < 0) locallyModified_ = KAVClient::IsAssetLocallyModified(kuid_) ? 1 : 0;
    return locallyModified_ != 0;
}

bool IsKodrinBaseSpec(GizmorixSpec* spec) {
    return dynamic_cast<KodrinBaseSpec*>(spec) != nullptr;
}

KodrinBaseSpec* NewKodrinBaseSpec(const Kiv::PString& location, const Kiv::String& basePath,
                                  const Kiv::String& folderName, const KUID& kuid,
                                  const ACSChunkRef& config) {
    return new KodrinBaseSpec(location, basePath, folderName, kuid, config,
                              folderName.ToPString());
}
