// Location and file tests of the asset being validated.
#include "validation/darodi/asset_files.h"

#include <string>

#include "engine/file.h"
#include "foundation/files/file_paths.h"
#include "link/kav/kav_user_data.h"
#include "validation/darodi/data_manager.h"

namespace DAROdi {

bool IsPackedLocation(const Kiv::PString& location) {
    if (location.IsEmpty()) return false;
    Kiv::File::Path folder = KAVUserData::GetLocationFolder(location);
    folder.DelSlash();
    const std::string archive = std::string(folder.View()) + ".ka";
    return static_cast<bool>(Kiv::File::Exists(archive.c_str()));
}

Kiv::File::Path AssetFilePath(const char* relative) {
    Kiv::File::Path path = DataManager::Instance().GetAssetPath();
    path.AddPath(relative);
    return path;
}

bool AssetFileExists(const Kiv::File::Path& relative) {
    const DataManager& manager = DataManager::Instance();
    return FileExistsUnder(manager.GetAssetLocation(), relative);
}

} // namespace DAROdi
