// LoadAssetConfigSoup: an asset's config read from its folder, the compiled "config.chump"
// first, else "config.txt". Used by the install commands and by the script stage of a
// validation.
#pragma once

#include "engine/file_path.h"
#include "engine/pstring.h"
#include "foundation/soup/chunk_ref.h"

// Loads the asset's config from folder while the resource database of location (an asset
// folder name relative to the installation folder; empty: none) is held. False, out null,
// when neither file reads as a soup.
bool LoadAssetConfigSoup(const Kiv::PString& location, const Kiv::File::Path& folder,
                         ACSChunkRef& out);
