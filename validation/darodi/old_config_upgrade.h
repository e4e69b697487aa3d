// UpgradeOldConfigIfNeeded: brings a config written for an older build up to the tags the
// templates expect, before the config is matched.
#pragma once

#include "foundation/soup/chunk_ref.h"

namespace DAROdi {

// Not built yet: changes nothing.
void UpgradeOldConfigIfNeeded(ACSChunkRef& config);

} // namespace DAROdi
