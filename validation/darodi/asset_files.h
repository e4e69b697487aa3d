// Files of the asset being validated: whether its location is packed into a ".ka" archive
// (its assets are then not checked file by file), and whether a file exists below the
// asset's folder in its location.
#pragma once

#include "engine/file_path.h"
#include "engine/pstring.h"

namespace DAROdi {

// A file named like the location's folder with ".ka" appended exists.
bool IsPackedLocation(const Kiv::PString& location);
// The file of that path, relative to the asset's folder, exists in the asset's location.
bool AssetFileExists(const Kiv::File::Path& relative);
// The path relative to the asset's folder, forward slashes made the engine's separators.
Kiv::File::Path AssetFilePath(const char* relative);

} // namespace DAROdi
