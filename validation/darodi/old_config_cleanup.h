// The steps of the old-config upgrade after the kind-specific rewrites: mesh-table
// effects, sound lists, category defaults, thumbnails, renamed author keys, stray words and
// odd tag names (old_config_upgrade.h).
#pragma once

#include "engine/string.h"
#include "foundation/soup/chunk_ref.h"

namespace DAROdi {

// Steps 12 to 30 of the upgrade, for the config of that kind text.
void UpgradeLaterSteps(ACSChunkRef& config, const Kiv::String& kind);
// An "icon-texture" without "thumbnails" becomes a 64 × 64 thumbnail entry.
void UpgradeThumbnail(ACSChunkRef& config);

} // namespace DAROdi
