// LoadAssetConfigSoup: an asset's config read from its folder, the compiled "config.chump"
// first, then "config.txt", while the location's resource database is held. The spec
// manager makes specs from it and the install commands read configs with it.
#pragma once

#include "engine/file_path.h"
#include "engine/pstring.h"
#include "foundation/soup/chunk_ref.h"

// location is an asset folder name relative to the installation folder (empty: none).
// False, out null, when neither file reads as a soup.
bool LoadAssetConfigSoup(const Kiv::PString& location, const Kiv::File::Path& folder,
                         ACSChunkRef& out);
