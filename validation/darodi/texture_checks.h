// CheckAssetTextures: the checks of an asset's texture descriptions and converted textures
// in its folder, reported into the error handler.
#pragma once

#include "engine/file_path.h"

namespace DAROdi {

// True when the textures below folder passed.
bool CheckAssetTextures(const Kiv::File::Path& folder);

} // namespace DAROdi
