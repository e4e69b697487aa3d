// The kind-specific rewrites of the old-config upgrade: one row per kind, tested in order
// (old_config_upgrade.h). The kind compares ignoring case.
#include <cstdint>
#include <span>

#include "foundation/containers/float_array.h"
#include "foundation/soup/chunk.h"
#include "validation/darodi/old_config_cleanup.h"
#include "validation/darodi/old_config_mesh_tables.h"
#include "validation/darodi/old_config_upgrade.h"

namespace DAROdi {
namespace {

bool Needs(const ACSChunkRef& config, const Kiv::String& fileName) {
    return !fileName.IsEmpty() && !config.HasTag("mesh-table");
}

void UpgradeTexture(ACSChunkRef& config, const Kiv::String& fileName) {
    config.RemoveNamedTag("rgb");
    if (!fileName.IsEmpty() && !config.HasTag("texture"))
        config.SetNamedTagString("texture", (fileName.Std() + ".texture").c_str());
    config.RemoveNamedTag("light");
}

void UpgradeTraincar(ACSChunkRef& config, const Kiv::String& fileName) {
    if (Needs(config, fileName)) UpgradeBodyMeshes(config, fileName);
    if (!config.HasTag("bogeys")) UpgradeBogeys(config);
    if (config.GetNamedTagType("running-numbers") == ACSTagType::Container)
        config.RemoveNamedTag("running-numbers");
}

// The loose camera of an interior becomes the next entry of its camera list.
void UpgradeCameras(ACSChunkRef& config) {
    if (config.HasTag("camera")) {
        ACSChunkRef cameras = config.GetNamedSoup("cameralist");
        if (cameras.IsNull()) {
            cameras = ACSChunkRef();
            cameras.EnsureContainer();
            config.SetNamedSoup("cameralist", cameras);
        }
        const int32_t n = cameras->CountChildren();
        FloatArray floats;
        config.GetCameraFloats(floats);
        const int32_t length = floats.Length();
        floats.SetLength(length + 2);
        cameras.SetNamedTagFloatArray(Kiv::PString::Setf("camera%d", n),
                                      std::span<const float>(floats.Data(), length + 2));
        config.RemoveNamedTag("camera");
    }
    if (!config.HasTag("cameradefault")) config.SetNamedTagInt("cameradefault", 0);
}

void UpgradeInterior(ACSChunkRef& config, const Kiv::String& fileName) {
    if (Needs(config, fileName)) UpgradeRestructure(config);
    UpgradeCameras(config);
}

} // namespace

void UpgradeKindTags(ACSChunkRef& config, const Kiv::String& kind, const Kiv::String& fileName) {
    const Kiv::PString k = kind.ToPString();
    if (k.EqualsIgnoreCase("bogey")) {
        if (Needs(config, fileName)) UpgradeShadowMeshes(config, fileName);
        config.RemoveNamedTag("light");
    } else if (k.EqualsIgnoreCase("behavior")) {
        UpgradeThumbnail(config);
    } else if (k.EqualsIgnoreCase("groundtexture") || k.EqualsIgnoreCase("texture")) {
        UpgradeTexture(config, fileName);
    } else if (k.EqualsIgnoreCase("mesh")) {
        config.RemoveNamedTag("light");
    } else if (k.EqualsIgnoreCase("mojunction")) {
        if (Needs(config, fileName)) UpgradeNamedMeshes(config);
    } else if (k.EqualsIgnoreCase("mocrossing")) {
        if (Needs(config, fileName)) UpgradeTrackMeshes(config);
        config.RemoveNamedTag("track");
        config.RemoveNamedTag("road");
    } else if (k.EqualsIgnoreCase("turntable")) {
        if (Needs(config, fileName)) UpgradeTrackAttachments(config);
    } else if (k.EqualsIgnoreCase("traincar")) {
        UpgradeTraincar(config, fileName);
    } else if ((k.EqualsIgnoreCase("track") || k.EqualsIgnoreCase("bridge")) &&
               !fileName.IsEmpty()) {
        if (k.EqualsIgnoreCase("track")) config.RemoveNamedTag("height");
        config.RemoveNamedTag("mini");
    } else if (k.EqualsIgnoreCase("scenery")) {
        if (Needs(config, fileName)) UpgradeAttachments(config, fileName);
        config.RemoveNamedTag("bendy");
    } else if (k.EqualsIgnoreCase("buildable")) {
        if (Needs(config, fileName)) UpgradeAttachments(config, fileName);
    } else if (k.EqualsIgnoreCase("interior")) {
        UpgradeInterior(config, fileName);
    }
}

} // namespace DAROdi
