// The error entries of the commands.
#include "client/command_context.h"

#include "foundation/results/kodrin_property.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

void AddError(ResultsLog& log, const char* text) {
    log.AddEntry(ResultsLogKind::Error, nullptr, Kiv::String(text));
}

void AddAssetError(ResultsLog& log, const KUID& kuid, const char* text) {
    auto* asset = new KodrinPropertyAssetID(Kiv::PString("AssetID"), kuid);
    log.AddEntry(ResultsLogKind::Error, asset, Kiv::String(text));
    asset->Release();
}

}  // namespace KodrinUtil
