// The root check of an asset config: its build stamp, the old-config upgrade, its kind
// (refined for bridges, old tracks and trackside scenery), the kind's template built with
// its rules, and the match of the whole config.
#include "validation/darodi/build_stamp.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/old_config_upgrade.h"
#include "validation/darodi/report.h"

namespace DAROdi {

namespace {

constexpr float kBridgeMargin = 0.001f;
constexpr int kNewTrackBuild = 290;

// Kinds are compared exactly: "Bridge" is not refined (its template is still found).
Kiv::PString RefineKind(const Kiv::PString& kind, const ACSChunkRef& config, float stamp) {
    const Keywords& w = Words();
    if (kind == w.bridge) {
        const float height = config.GetNamedTagAsFloat(w.height, 0.0f);
        if (height < -kBridgeMargin) return w.bridge;
        return height > kBridgeMargin ? w.tunnel : w.doubleTrack;
    }
    if (kind == w.track && StampHundredths(stamp) < kNewTrackBuild) {
        if (config.HasTag(w.chunkyMesh)) return w.chunkyTrack;
        return config.HasTag(w.unitMesh) ? w.meshReducingTrack : w.obsoleteTrack;
    }
    if (kind == w.scenery && config.HasTag(w.trackside)) return w.sceneryTrackside;
    return kind;
}

ACSChunkRef TopLevelEntry(const Kiv::PString& name) {
    const ACSChunkRef entry = DataManager::Instance().GetMergedTemplates().GetNamedSoup(name);
    if (entry.GetNamedTagAsInt(Words().topLevel, 0) == 0) return ACSChunkRef();
    return entry;
}

} // namespace

// The top-level template of a kind (lower-cased); the template files are merged first when
// they were not yet.
ACSChunkRef FindTemplate(const Kiv::PString& kind) {
    const Kiv::PString name = kind.ToLower();
    ACSChunkRef found = TopLevelEntry(name);
    if (!found.IsNull()) return found;
    DataManager::Instance().MergeTemplates();
    return TopLevelEntry(name);
}

bool Container::ResolveKind(const ACSChunkRef& config) {
    const Keywords& w = Words();
    DataManager& manager = DataManager::Instance();
    manager.buildStamp = ConfigBuildStamp(config);
    ACSChunkRef upgraded = config;
    UpgradeOldConfigIfNeeded(upgraded);
    const Kiv::PString given = upgraded.GetNamedTag(w.kind).ToPString();
    if (given.IsEmpty()) {
        Report::Error(FormatFinding("$tet_container_nokindtag"));
        return false;
    }
    const Kiv::PString kind = RefineKind(given, upgraded, manager.buildStamp);
    const ACSChunkRef tmpl = FindTemplate(kind);
    if (tmpl.IsNull()) {
        Report::Error(FormatFinding("$tet_container_nokindspecification"));
        return false;
    }
    SetConfig(upgraded);
    SetTemplates(manager.GetMergedTemplates());
    parent = nullptr;
    index = 0;
    name = kind;
    templateName = kind;
    isRoot = true;
    if (!BuildTemplate(tmpl, 1) || !ReadContainerRules(tmpl, *this)) return false;
    if (upgraded.HasTag(w.alias)) {
        manager.aliasFlag = true;
        Report::Warning(FormatFinding("$tet_container_alias"));
    }
    return MatchConfig(upgraded, tmpl, this);
}

} // namespace DAROdi
