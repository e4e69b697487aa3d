// CheckAssetFolder: the file checks, the export and the container rules of a matched
// config. Findings reach the log only when one of the three failed.
#include "foundation/results/results_log.h"
#include "link/kav/kav_user_data.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/finding_copy.h"
#include "validation/darodi/texture_checks.h"
#include "validation/darodi/validate_asset.h"

bool CheckAssetFolder(DAROdi::Container& container, ResultsLog& log) {
    const ACSChunkRef config = container.GetConfig();
    if (config.IsNull() || config.CountTags() == 0) return true;
    if (DAROdi::ErrorHandler* handler = DAROdi::ErrorHandler::Instance()) handler->Clear();
    const DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    Kiv::File::Path folder = KAVUserData::GetLocationFolder(manager.GetAssetLocation());
    folder.AddPath(manager.GetAssetPath().c_str());
    const bool textures = DAROdi::CheckAssetTextures(folder, folder);
    ACSChunkRef exported;
    const bool exportedWell = container.Export(exported);
    const bool rules = exportedWell && container.RunContainerRules();
    if (textures && exportedWell && rules) return true;
    DAROdi::CopyFindings(log, config);
    return false;
}
