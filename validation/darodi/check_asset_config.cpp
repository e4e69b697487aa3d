// CheckAssetConfig: the build and obsolete-kind pre-checks and the template match of an
// asset's config. Only a float "kodrin-build" is a build: any other form counts as the
// default 1.3.
#include <memory>

#include "foundation/results/results_log.h"
#include "foundation/text/interface_text.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/finding_copy.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/validate_asset.h"

namespace {

constexpr float kDefaultBuild = 1.3f;

// The localised text of key, in the ANSI code page.
Kiv::PString DriverText(const char* key) {
    const Kiv::PString text = InterfaceTextDB::Instance().GetString(Kiv::PString(key), true);
    return ConvertUtf8ToAnsi(text.c_str());
}

float ConfigBuild(const ACSChunkRef& config) {
    const Kiv::PString& key = DAROdi::Words().kodrinBuild;
    if (config.GetNamedTagType(key) != ACSTagType::FloatArray) return kDefaultBuild;
    return config.GetNamedTagAsFloat(key, kDefaultBuild);
}

// (int)(build x 100 + 0.1) > 330, without converting a NaN or a huge value to int: those
// count as future builds.
bool IsFutureBuild(float build) {
    const double scaled = static_cast<double>(build) * 100.0 + 0.1;
    return !(scaled < 331.0);
}

bool IsKind(const ACSChunkRef& config, const char* kind) {
    return config.GetNamedTag(DAROdi::Words().kind).ToPString().EqualsIgnoreCase(kind);
}

} // namespace

bool CheckAssetConfig(const Kiv::File::Path& configPath, ResultsLog& log,
                      DAROdi::Container* container, const Kiv::PString& location) {
    DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    manager.MergeTemplates();
    Kiv::File::Path folder = configPath;
    folder.DelName(false);
    manager.SetAssetLocation(location, folder.c_str());
    if (DAROdi::ErrorHandler* handler = DAROdi::ErrorHandler::Instance()) handler->Clear();
    ACSChunkRef config;
    config.LoadFromFile(location.c_str(), configPath.c_str(), nullptr, false);
    if (IsFutureBuild(ConfigBuild(config))) {
        DAROdi::AddAssetEntry(log, ResultsLogKind::Error, config, DriverText("$tet_future_asset"));
        return false;
    }
    if (IsKind(config, "water")) {
        DAROdi::AddAssetEntry(log, ResultsLogKind::Warning, config,
                              DriverText("$tet_obsolete_water"));
        return true;
    }
    if (IsKind(config, "huebarn-skin")) {
        DAROdi::AddAssetEntry(log, ResultsLogKind::Warning, config,
                              DriverText("$tet_obsolete_huebarn"));
        return true;
    }
    manager.MergeTemplates();
    std::unique_ptr<DAROdi::Container> temporary;
    if (!container) {
        temporary = std::make_unique<DAROdi::Container>();
        container = temporary.get();
    }
    const bool matched = container->ResolveKind(config);
    DAROdi::CopyFindings(log, config);
    return matched;
}
